// Rules that every checksum class keeps: failures change nothing, Final leaves
// the object as it was, the split of a message never matters, the byte count
// follows the bytes, trailing-bit arguments are cut as documented, and the
// destructor leaves nothing of the message behind.

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <type_traits>

#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"
#include "HashTestUtil.h"

using namespace NHashTest;

namespace {

template <class THash>
class HashContract : public ::testing::Test {};

// The two block-iterated classes derive from the framing template with exactly
// these nine arguments; an algorithm's own run of blocks comes through
// CHashBlockRun, not through a further argument.
namespace NStd = NHash::NStandart;
static_assert(std::is_base_of<NHash::CIteratedHash<6, 16, 16, 64, 8, NStd::NDriver::HashBlockMD5a, NStd::Padding,
                                                   NStd::CopySize64, NStd::CopyDigestMD>,
                              NStd::CHashMD5a>::value,
              "MD5's base");
static_assert(std::is_base_of<NHash::CIteratedHash<8, 20, 20, 64, 8, NStd::NDriver::HashBlockSHA1, NStd::Padding,
                                                   NStd::CopySize64SHA1, NStd::CopyDigestSHA>,
                              NStd::CHashSHA1>::value,
              "SHA-1's base");

typedef ::testing::Types<NHash::NCRC::CHashCRC32, NHash::NStandart::CHashMD5a, NHash::NStandart::CHashSHA1> AllHashes;
TYPED_TEST_SUITE(HashContract, AllHashes);

template <class THash>
Bytes OneCall(const Bytes& msg) {
    THash hash;
    hash.Update(msg.data(), std::uint32_t(msg.size()));
    return DigestOf(hash);
}

}  // namespace

TYPED_TEST(HashContract, FailedCallsChangeNothing) {
    std::mt19937 rng(1);
    const Bytes msg = RandomBytes(rng, 77);
    TypeParam hash;
    ASSERT_TRUE(hash.Update(msg.data(), std::uint32_t(msg.size())));
    const Bytes before = DigestOf(hash);
    const unsigned size = hash.GetDigestSize();

    EXPECT_FALSE(hash.Update(nullptr, 10));
    EXPECT_FALSE(hash.Update(nullptr, 0));
    EXPECT_TRUE(hash.Update(msg.data(), 0));
    EXPECT_EQ(hash.GetByteCount(), msg.size());
    EXPECT_EQ(DigestOf(hash), before);

    Bytes out(size + 8, 0xCC);
    EXPECT_FALSE(hash.Final(nullptr, size, 0, 0));
    EXPECT_FALSE(hash.Final(out.data(), size - 1, 0, 0));
    EXPECT_FALSE(hash.Final(out.data(), 0, 0, 0));
    EXPECT_EQ(out, Bytes(size + 8, 0xCC));

    // A larger buffer receives the digest at its start and nothing beyond.
    ASSERT_TRUE(hash.Final(out.data(), size + 8, 0, 0));
    EXPECT_EQ(Bytes(out.begin(), out.begin() + size), before);
    EXPECT_EQ(Bytes(out.begin() + size, out.end()), Bytes(8, 0xCC));
}

TYPED_TEST(HashContract, FinalLeavesTheObjectAsItWas) {
    std::mt19937 rng(2);
    const Bytes a = RandomBytes(rng, 100), b = RandomBytes(rng, 31);
    Bytes ab = a;
    ab.insert(ab.end(), b.begin(), b.end());

    TypeParam hash;
    hash.Update(a.data(), std::uint32_t(a.size()));
    const Bytes first = DigestOf(hash);
    DigestOf(hash, 0x5, 3);  // a Final with trailing bits adds nothing to the message
    EXPECT_EQ(DigestOf(hash), first);
    EXPECT_EQ(hash.GetByteCount(), a.size());
    EXPECT_EQ(first, OneCall<TypeParam>(a));

    hash.Update(b.data(), std::uint32_t(b.size()));
    EXPECT_EQ(DigestOf(hash), OneCall<TypeParam>(ab));
    EXPECT_EQ(hash.GetByteCount(), ab.size());
}

TYPED_TEST(HashContract, SplitsAroundBlockBoundariesEqualOneCall) {
    std::mt19937 rng(3);
    const std::vector<std::vector<std::size_t>> splits = {{1},      {63},        {64},     {65},       {55, 1, 8},
                                                          {127, 1}, {3, 64, 61}, {129, 2}, {200, 1000}};
    for (std::size_t len : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129, 191, 192, 193, 1000, 4099}) {
        const Bytes msg = RandomBytes(rng, len);
        const Bytes expected = OneCall<TypeParam>(msg);
        for (const auto& split : splits) {
            TypeParam hash;
            FeedInPieces(hash, msg, split);
            EXPECT_EQ(DigestOf(hash), expected) << "length " << len << ", first piece " << split[0];
            EXPECT_EQ(hash.GetByteCount(), len);
        }
    }
}

TYPED_TEST(HashContract, RandomSplitsEqualOneCall) {
    std::mt19937 rng(4);
    for (int round = 0; round < 50; ++round) {
        const Bytes msg = RandomBytes(rng, rng() % 3000);
        TypeParam hash;
        std::size_t pos = 0;
        while (pos < msg.size()) {
            std::size_t n = rng() % 200;
            if (n > msg.size() - pos) n = msg.size() - pos;
            ASSERT_TRUE(hash.Update(msg.data() + pos, std::uint32_t(n)));
            pos += n;
            if (rng() % 4 == 0) DigestOf(hash, rng(), rng());  // interleaved Final calls change nothing
        }
        EXPECT_EQ(DigestOf(hash), OneCall<TypeParam>(msg));
    }
}

TYPED_TEST(HashContract, InitRestarts) {
    std::mt19937 rng(5);
    const Bytes junk = RandomBytes(rng, 99), msg = RandomBytes(rng, 70);
    TypeParam fresh;
    const Bytes empty = DigestOf(fresh);

    TypeParam hash;
    hash.Update(junk.data(), std::uint32_t(junk.size()));
    hash.Init();
    EXPECT_EQ(hash.GetByteCount(), 0u);
    EXPECT_EQ(DigestOf(hash), empty);
    hash.Update(msg.data(), std::uint32_t(msg.size()));
    EXPECT_EQ(DigestOf(hash), OneCall<TypeParam>(msg));
}

TYPED_TEST(HashContract, OnlyTheLowThreeBitsOfTheCountAndTheCountedBitsOfTheValueMatter) {
    std::mt19937 rng(6);
    for (std::size_t len : {0, 5, 55, 56, 64, 100}) {
        const Bytes msg = RandomBytes(rng, len);
        TypeParam hash;
        hash.Update(msg.data(), std::uint32_t(len));
        const Bytes plain = DigestOf(hash);
        EXPECT_EQ(DigestOf(hash, 0xFFFFFFFF, 0), plain);
        EXPECT_EQ(DigestOf(hash, 0x12345678, 8), plain);
        for (std::uint32_t n = 1; n < 8; ++n) {
            const std::uint32_t bits = rng() & ((1u << n) - 1);
            const Bytes withBits = DigestOf(hash, bits, n);
            EXPECT_NE(withBits, plain);
            EXPECT_EQ(DigestOf(hash, bits | (rng() << n), n), withBits);
            EXPECT_EQ(DigestOf(hash, bits, n + 8), withBits);
            EXPECT_EQ(DigestOf(hash, bits, n + 0xFFFFFFF8u), withBits);
        }
    }
}

TYPED_TEST(HashContract, DestructorLeavesNoStateBehind) {
    // The object lives in storage the test owns, so its bytes can be read
    // after the destructor has run.
    alignas(TypeParam) unsigned char storage[sizeof(TypeParam)];
    std::memset(storage, 0, sizeof storage);
    TypeParam* hash = new (storage) TypeParam;
    const Bytes msg(64 + 63, 0xA5);
    hash->Update(msg.data(), std::uint32_t(msg.size()));
    ASSERT_EQ(DigestOf(*hash).size(), hash->GetDigestSize());
    hash->~TypeParam();

    // Everything after the vtable pointer is the object's state.
    for (std::size_t i = sizeof(void*); i < sizeof storage; ++i) EXPECT_EQ(storage[i], 0) << "byte " << i;
}
