// Against independent implementations: OpenSSL's MD5 and SHA-1 and zlib's
// crc32 for random byte messages, and a message padded bit by bit as the
// standards describe it (message bits, a 1 bit, zeros, the 64-bit length) and
// compressed with OpenSSL's own block functions for messages that end in a
// partial byte.

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/md5.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <vector>

#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"
#include "HashTestUtil.h"

using namespace NHashTest;
using NHash::NCRC::CHashCRC32;
using NHash::NStandart::CHashMD5a;
using NHash::NStandart::CHashSHA1;

namespace {

Bytes OpenSSLDigest(const EVP_MD* md, const Bytes& msg) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EXPECT_EQ(EVP_Digest(msg.data(), msg.size(), out, &n, md, nullptr), 1);
    return Bytes(out, out + n);
}

Bytes ZlibCRC(const Bytes& msg) {
    const uLong crc = crc32(crc32(0, nullptr, 0), msg.data(), uInt(msg.size()));
    return Bytes{std::uint8_t(crc), std::uint8_t(crc >> 8), std::uint8_t(crc >> 16), std::uint8_t(crc >> 24)};
}

template <class THash>
Bytes Ours(const Bytes& msg, std::size_t piece) {
    THash hash;
    FeedInPieces(hash, msg, {piece});
    return DigestOf(hash);
}

enum class Algo { MD5, SHA1 };

// The message as bits, each byte's most significant bit first, padded as the
// standards say, with the length field holding nLength.
Bytes PaddedMessage(Algo algo, const Bytes& msg, std::uint32_t trailing, unsigned count, std::uint64_t nLength) {
    std::vector<bool> bits;
    for (std::uint8_t b : msg)
        for (int i = 7; i >= 0; --i) bits.push_back((b >> i) & 1);
    for (int i = int(count) - 1; i >= 0; --i) bits.push_back((trailing >> i) & 1);
    bits.push_back(true);
    while (bits.size() % 512 != 448) bits.push_back(false);
    for (int i = 0; i < 8; ++i) {
        // MD5 appends the length low-order byte first, SHA-1 high-order first.
        const int shift = algo == Algo::MD5 ? 8 * i : 56 - 8 * i;
        const std::uint8_t byte = std::uint8_t(nLength >> shift);
        for (int j = 7; j >= 0; --j) bits.push_back((byte >> j) & 1);
    }
    Bytes padded(bits.size() / 8);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i]) padded[i / 8] |= std::uint8_t(0x80 >> (i % 8));
    return padded;
}

// Compresses padded blocks with OpenSSL's block functions from the standard
// initial state.
Bytes OpenSSLCompressed(Algo algo, const Bytes& padded) {
    Bytes out;
    if (algo == Algo::MD5) {
        MD5_CTX ctx;
        MD5_Init(&ctx);
        for (std::size_t i = 0; i < padded.size(); i += 64) MD5_Transform(&ctx, padded.data() + i);
        for (MD5_LONG w : {ctx.A, ctx.B, ctx.C, ctx.D})
            for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(w >> (8 * i)));
    } else {
        SHA_CTX ctx;
        SHA1_Init(&ctx);
        for (std::size_t i = 0; i < padded.size(); i += 64) SHA1_Transform(&ctx, padded.data() + i);
        for (SHA_LONG w : {ctx.h0, ctx.h1, ctx.h2, ctx.h3, ctx.h4})
            for (int i = 3; i >= 0; --i) out.push_back(std::uint8_t(w >> (8 * i)));
    }
    return out;
}

template <class THash>
void CheckTrailingBits(Algo algo) {
    std::mt19937 rng(31);
    for (std::size_t len : {0, 1, 54, 55, 56, 57, 62, 63, 64, 65, 119, 120, 300}) {
        const Bytes msg = RandomBytes(rng, len);
        THash hash;
        hash.Update(msg.data(), std::uint32_t(len));
        for (unsigned count = 0; count < 8; ++count) {
            const std::uint32_t trailing = std::uint32_t(rng());
            const std::uint32_t used = trailing & ((1u << count) - 1);
            const Bytes expected = OpenSSLCompressed(algo, PaddedMessage(algo, msg, used, count, 8 * len + count));
            EXPECT_EQ(Hex(DigestOf(hash, trailing, count)), Hex(expected))
                << "length " << len << ", " << count << " bits";
        }
    }
}

// Gives a test access to the byte count, to start it just short of 2^64.
template <class THash>
class CCountedFrom : public THash {
public:
    explicit CCountedFrom(std::uint64_t nCount) { this->m_nByteCount = nCount; }
};

template <class THash>
void CheckCountWraps(Algo algo) {
    // 2^64 - 64 bytes already counted, the buffer empty: one more block and
    // five bytes wrap the count to 5, and the length field says 40 bits.
    std::mt19937 rng(32);
    const Bytes msg = RandomBytes(rng, 69);
    CCountedFrom<THash> hash(~std::uint64_t(0) - 63);
    hash.Update(msg.data(), 60);
    hash.Update(msg.data() + 60, 9);
    EXPECT_EQ(hash.GetByteCount(), 5u);
    // The 69 bytes padded as usual but with the wrapped length in the field.
    EXPECT_EQ(Hex(DigestOf(hash)), Hex(OpenSSLCompressed(algo, PaddedMessage(algo, msg, 0, 0, 40))));
}

}  // namespace

TEST(IndependentReference, RandomMessagesAgainstOpenSSLAndZlib) {
    std::mt19937 rng(30);
    std::vector<std::size_t> lengths;
    for (int i = 0; i < 200; ++i) lengths.push_back(rng() % 5000);
    lengths.push_back(1 << 20);
    lengths.push_back((1 << 20) + 37);
    for (std::size_t len : lengths) {
        const Bytes msg = RandomBytes(rng, len);
        const std::size_t piece = 1 + rng() % 1500;
        EXPECT_EQ(Hex(Ours<CHashMD5a>(msg, piece)), Hex(OpenSSLDigest(EVP_md5(), msg))) << "length " << len;
        EXPECT_EQ(Hex(Ours<CHashSHA1>(msg, piece)), Hex(OpenSSLDigest(EVP_sha1(), msg))) << "length " << len;
        EXPECT_EQ(Hex(Ours<CHashCRC32>(msg, piece)), Hex(ZlibCRC(msg))) << "length " << len;
    }
}

TEST(IndependentReference, MD5TrailingBitsAgainstBitLevelPadding) { CheckTrailingBits<CHashMD5a>(Algo::MD5); }

TEST(IndependentReference, SHA1TrailingBitsAgainstBitLevelPadding) { CheckTrailingBits<CHashSHA1>(Algo::SHA1); }

TEST(IndependentReference, ByteCountWrapsModulo2To64) {
    CheckCountWraps<CHashMD5a>(Algo::MD5);
    CheckCountWraps<CHashSHA1>(Algo::SHA1);
}
