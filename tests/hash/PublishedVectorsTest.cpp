// Published test vectors and the constant answers of each class.

#include <gtest/gtest.h>

#include <string>

#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"
#include "HashTestUtil.h"

using namespace NHashTest;
using NHash::NCRC::CHashCRC32;
using NHash::NStandart::CHashMD5a;
using NHash::NStandart::CHashSHA1;

namespace {

template <class THash>
std::string HexOfText(const std::string& text) {
    THash hash;
    EXPECT_TRUE(hash.Update(text.data(), std::uint32_t(text.size())));
    return Hex(DigestOf(hash));
}

template <class THash>
std::string HexOfMillionA() {
    // Fed in odd pieces so that most calls start in mid-block.
    const std::string piece(1000 * 7 + 3, 'a');
    THash hash;
    std::size_t left = 1000000;
    while (left) {
        const std::size_t n = left < piece.size() ? left : piece.size();
        hash.Update(piece.data(), std::uint32_t(n));
        left -= n;
    }
    EXPECT_EQ(hash.GetByteCount(), 1000000u);
    return Hex(DigestOf(hash));
}

}  // namespace

TEST(PublishedVectors, MD5TestSuite) {
    EXPECT_EQ(HexOfText<CHashMD5a>(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(HexOfText<CHashMD5a>("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(HexOfText<CHashMD5a>("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(HexOfText<CHashMD5a>("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(HexOfText<CHashMD5a>("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(HexOfText<CHashMD5a>("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(HexOfText<CHashMD5a>("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
    EXPECT_EQ(HexOfMillionA<CHashMD5a>(), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(PublishedVectors, SHA1Examples) {
    EXPECT_EQ(HexOfText<CHashSHA1>(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(HexOfText<CHashSHA1>("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(HexOfText<CHashSHA1>("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(HexOfMillionA<CHashSHA1>(), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(PublishedVectors, CRC32CheckValue) {
    // The check value CBF43926 is written least significant byte first.
    EXPECT_EQ(HexOfText<CHashCRC32>("123456789"), "2639f4cb");
    EXPECT_EQ(HexOfText<CHashCRC32>(""), "00000000");

    CHashCRC32 bytewise;
    for (char c : std::string("123456789")) bytewise.Update(&c, 1);
    EXPECT_EQ(Hex(DigestOf(bytewise)), "2639f4cb");
}

TEST(PublishedVectors, ConstantAnswers) {
    CHashCRC32 crc;
    CHashMD5a md5;
    CHashSHA1 sha1;
    const NHash::CHashObject* objects[] = {&crc, &md5, &sha1};
    const int ids[] = {1, 6, 8};
    const std::u16string names[] = {u"CRC-32", u"MD5", u"SHA-1"};
    const unsigned sizes[] = {4, 16, 20};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(objects[i]->GetAlgorithmId(), ids[i]);
        EXPECT_TRUE(objects[i]->GetName() == names[i]);
        EXPECT_EQ(objects[i]->GetDigestSize(), sizes[i]);
        EXPECT_EQ(objects[i]->GetByteCount(), 0u);
    }
}
