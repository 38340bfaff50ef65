// SHA-1 runs of blocks on the processor's SHA instructions against the
// portable block function, and a whole SHA-1 built on the portable block
// function against the class in use (which takes the instructions where they
// exist), fed in one call and in pieces that start and end inside blocks.

#include <gtest/gtest.h>

#include <cstring>

#include "HashSHA1.h"
#include "HashTestUtil.h"

using namespace NHashTest;
using namespace NHash::NStandart;

namespace {

class CPortableSHA1 : public NHash::CIteratedHash<8, 20, 20, 64, 8, NDriver::HashBlockSHA1Portable, Padding,
                                                  CopySize64SHA1, CopyDigestSHA> {
public:
    CPortableSHA1() { Init(); }
    const char16_t* GetName() const override { return u"SHA-1"; }
    void Init() override {
        static const std::uint32_t iv[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
        m_nByteCount = 0;
        std::memcpy(m_State, iv, sizeof iv);
    }
};

}  // namespace

TEST(SHA1Instructions, RunsOfBlocksAgreeWithThePortableFunction) {
    if (!NDriver::HasSHA1Instructions()) GTEST_SKIP() << "this processor has no SHA instructions";
    std::mt19937 rng(21);
    for (int round = 0; round < 1000; ++round) {
        std::uint32_t state[5], expected[5];
        for (auto& w : state) w = std::uint32_t(rng());
        std::memcpy(expected, state, sizeof state);
        // Runs of one to five blocks at every alignment.
        const std::size_t nBlocks = 1 + round % 5;
        const Bytes buffer = RandomBytes(rng, 64 * nBlocks + 15);
        const std::uint8_t* blocks = buffer.data() + round % 16;
        for (std::size_t i = 0; i < nBlocks; ++i) NDriver::HashBlockSHA1Portable(expected, blocks + 64 * i);
        NDriver::HashBlocksSHA1Accelerated(state, blocks, nBlocks);
        ASSERT_EQ(0, std::memcmp(state, expected, sizeof state)) << "round " << round;
    }
}

TEST(SHA1Instructions, ClassInUseEqualsThePortableFunction) {
    std::mt19937 rng(22);
    const std::vector<std::vector<std::size_t>> splits = {{1 << 20}, {1, 200}, {63, 130, 64 * 7 + 5}, {65, 64 * 31}};
    for (std::size_t len : {0, 3, 55, 56, 64, 65, 1000, 70000}) {
        const Bytes msg = RandomBytes(rng, len);
        CPortableSHA1 portable;
        portable.Update(msg.data(), std::uint32_t(len));
        for (const auto& split : splits) {
            CHashSHA1 used;
            FeedInPieces(used, msg, split);
            EXPECT_EQ(DigestOf(used), DigestOf(portable)) << "length " << len << ", first piece " << split[0];
            EXPECT_EQ(DigestOf(used, 3, 2), DigestOf(portable, 3, 2)) << "length " << len;
        }
    }
    // The class in use takes the instructions wherever the processor has them.
    EXPECT_EQ(NDriver::UsesSHA1Instructions(), NDriver::HasSHA1Instructions());
}
