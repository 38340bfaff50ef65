// The padding byte, the length fields and the digest writers, byte by byte.

#include <gtest/gtest.h>

#include <cstring>

#include "PaddingAndEncoding.h"
#include "HashTestUtil.h"

using namespace NHash::NStandart;
using NHashTest::Bytes;

TEST(PaddingAndEncoding, PaddingPutsTheBitsOnTopFollowedByOneBit) {
    EXPECT_EQ(Padding(0, 0), 0x80);
    EXPECT_EQ(Padding(0xFFFFFFFF, 0), 0x80);
    EXPECT_EQ(Padding(5, 3), 0xB0);           // 101 then 1
    EXPECT_EQ(Padding(0xFFFFFFFD, 3), 0xB0);  // higher bits of the value fall away
    EXPECT_EQ(Padding(1, 1), 0xC0);
    EXPECT_EQ(Padding(0, 1), 0x40);
    EXPECT_EQ(Padding(0x7F, 7), 0xFF);
    EXPECT_EQ(Padding(0, 7), 0x01);
}

TEST(PaddingAndEncoding, LengthFieldsInBothByteOrders) {
    const std::uint64_t v = 0x0102030405060708ull;
    Bytes le(10, 0xEE), be(10, 0xEE);
    CopySize64(le.data() + 1, v);
    CopySize64SHA1(be.data() + 1, v);
    EXPECT_EQ(le, (Bytes{0xEE, 8, 7, 6, 5, 4, 3, 2, 1, 0xEE}));
    EXPECT_EQ(be, (Bytes{0xEE, 1, 2, 3, 4, 5, 6, 7, 8, 0xEE}));
}

TEST(PaddingAndEncoding, DigestWordsInBothByteOrders) {
    const std::uint32_t state[5] = {0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10, 0x11121314};
    const std::uint8_t* p = reinterpret_cast<const std::uint8_t*>(state);

    Bytes md(18, 0xEE);
    CopyDigestMD(md.data(), p, 16);
    EXPECT_EQ(md, (Bytes{4, 3, 2, 1, 8, 7, 6, 5, 12, 11, 10, 9, 16, 15, 14, 13, 0xEE, 0xEE}));

    Bytes sha(22, 0xEE);
    CopyDigestSHA(sha.data(), p, 20);
    EXPECT_EQ(sha, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 0xEE, 0xEE}));
}
