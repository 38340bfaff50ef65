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

}  // namespace NStandart

// SHA-1's run of whole blocks: HashBlocksSHA1 chooses between the processor's
// SHA instructions and the portable function once per run, and the
// instructions keep the chaining words in registers from one block to the
// next. Declared here, before CHashSHA1 names its base, so that every use of
// that base sees it.
template <>
struct CHashBlockRun<NStandart::kSHA1BlockSize, NStandart::NDriver::HashBlockSHA1> {
    static void Run(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks) {
        NStandart::NDriver::HashBlocksSHA1(pState, pBlocks, nBlocks);
    }
};

namespace NStandart {

// SHA-1 (FIPS 180-1).
class CHashSHA1
    : public CIteratedHash<kSHA1AlgorithmId, kSHA1DigestSize, kSHA1StateSize, kSHA1BlockSize, kSHA1LengthSize,
                           NDriver::HashBlockSHA1, Padding, CopySize64SHA1, CopyDigestSHA> {
public:
    CHashSHA1() { Init(); }

    const char16_t* GetName() const override;
    void Init() override;
};

}  // namespace NStandart
}  // namespace NHash
