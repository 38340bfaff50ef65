#pragma once

#include "HashBlockSHA1.h"
#include "PaddingAndEncoding.h"
#include "IteratedHash.h"

namespace NHash {
namespace NStandart {

// SHA-1's parameters for the block-iterated framing, in bytes.
constexpr int kSHA1AlgorithmId = 8;
constexpr unsigned kSHA1DigestSize = 20;
constexpr unsigned kSHA1StateSize = 20;  // five 32-bit chaining words
constexpr unsigned kSHA1BlockSize = 64;
constexpr unsigned kSHA1LengthSize = 8;  // the message length in bits, 64-bit

// SHA-1 (FIPS 180-1).
class CHashSHA1
    : public CIteratedHash<kSHA1AlgorithmId, kSHA1DigestSize, kSHA1StateSize, kSHA1BlockSize, kSHA1LengthSize,
                           NDriver::HashBlockSHA1, Padding, CopySize64SHA1, CopyDigestSHA, NDriver::HashBlocksSHA1> {
public:
    CHashSHA1() { Init(); }

    const char16_t* GetName() const override;
    void Init() override;
};

}  // namespace NStandart
}  // namespace NHash
