// CRC-32 against a shift register that takes the message one bit at a time,
// least significant bit of each byte first, as the standard describes it: this
// covers the byte tables and the trailing bits alike.

#include <gtest/gtest.h>

#include <vector>

#include "HashCRC32.h"
#include "HashTestUtil.h"

using namespace NHashTest;

namespace {

std::uint32_t ShiftRegisterCRC(const std::vector<bool>& bits) {
    std::uint32_t reg = 0xFFFFFFFF;
    for (bool bit : bits) {
        const bool out = ((reg & 1) != 0) != bit;
        reg >>= 1;
        if (out) reg ^= 0xEDB88320;
    }
    return ~reg;
}

std::vector<bool> BitsOf(const Bytes& msg, std::uint32_t trailing, unsigned count) {
    std::vector<bool> bits;
    for (std::uint8_t b : msg)
        for (int i = 0; i < 8; ++i) bits.push_back((b >> i) & 1);
    for (unsigned i = 0; i < count; ++i) bits.push_back((trailing >> i) & 1);
    return bits;
}

std::uint32_t LittleEndian(const Bytes& d) {
    return std::uint32_t(d[0]) | std::uint32_t(d[1]) << 8 | std::uint32_t(d[2]) << 16 | std::uint32_t(d[3]) << 24;
}

}  // namespace

TEST(CRC32BitLevel, MessagesWithAndWithoutTrailingBits) {
    std::mt19937 rng(11);
    for (std::size_t len : {0, 1, 2, 3, 7, 15, 16, 17, 31, 32, 33, 100, 1025}) {
        const Bytes msg = RandomBytes(rng, len);
        NHash::NCRC::CHashCRC32 crc;
        crc.Update(msg.data(), std::uint32_t(len));
        for (unsigned count = 0; count < 8; ++count) {
            const std::uint32_t trailing = std::uint32_t(rng());
            EXPECT_EQ(LittleEndian(DigestOf(crc, trailing, count)), ShiftRegisterCRC(BitsOf(msg, trailing, count)))
                << "length " << len << ", " << count << " trailing bits";
        }
    }
}

TEST(CRC32BitLevel, TrailingBitsEqualTheBytesTheyComplete) {
    // Eight trailing bits would be a whole byte: seven of them plus the eighth
    // as a byte of its own must agree with the register.
    std::mt19937 rng(12);
    const Bytes msg = RandomBytes(rng, 40);
    NHash::NCRC::CHashCRC32 crc;
    crc.Update(msg.data(), 40);
    Bytes longer = msg;
    longer.push_back(0x5A);
    EXPECT_EQ(LittleEndian(DigestOf(crc, 0x5A, 7)), ShiftRegisterCRC(BitsOf(msg, 0x5A, 7)));
    NHash::NCRC::CHashCRC32 whole;
    whole.Update(longer.data(), 41);
    EXPECT_EQ(LittleEndian(DigestOf(whole)), ShiftRegisterCRC(BitsOf(msg, 0x5A, 8)));
}
