#pragma once

#include "HashBlockMD5.h"
#include "PaddingAndEncoding.h"
#include "IteratedHash.h"

namespace NHash {
namespace NStandart {

// MD5's parameters for the block-iterated framing, in bytes.
constexpr int kMD5AlgorithmId = 6;
constexpr unsigned kMD5DigestSize = 16;
constexpr unsigned kMD5StateSize = 16;  // four 32-bit chaining words
constexpr unsigned kMD5BlockSize = 64;
constexpr unsigned kMD5LengthSize = 8;  // the message length in bits, 64-bit

// MD5 (RFC 1321).
class CHashMD5a : public CIteratedHash<kMD5AlgorithmId, kMD5DigestSize, kMD5StateSize, kMD5BlockSize, kMD5LengthSize,
                                       NDriver::HashBlockMD5a, Padding, CopySize64, CopyDigestMD> {
public:
    CHashMD5a() { Init(); }

    const char16_t* GetName() const override;
    void Init() override;
};

}  // namespace NStandart
}  // namespace NHash
