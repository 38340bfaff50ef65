#pragma once

#include <cstdint>

#include "ByteOrder.h"

#if defined(__GNUC__)
#define HASH_FORCE_INLINE inline __attribute__((always_inline))
#else
#define HASH_FORCE_INLINE inline
#endif

namespace NHash {
namespace NStandart {
namespace NDriver {

// One MD5 compression of a 64-byte block (any alignment; words read least
// significant byte first) added into the four chaining words A, B, C, D.
// Defined here so that a loop over many blocks can keep the chaining words in
// registers from one block to the next.
//
// Each step is a = b + ((a + F(b, c, d) + X[k] + T) <<< s). The terms that do
// not depend on b (the newest word) are summed first, so that the chain from
// one step to the next is as short as the round function allows:
//   F = d ^ (b & (c ^ d))       c ^ d is ready before b
//   G = (b & d) + (c & ~d)      the two halves share no bits, so + is |; c & ~d
//                               joins the early sum
//   H = b ^ (c ^ d)
//   I = c ^ (b | ~d)
#define MD5_STEP_F(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (d) ^ ((b) & ((c) ^ (d)));     \
    a = RotateLeft(a, s) + (b);

#define MD5_STEP_G(a, b, c, d, x, t, s) \
    a += (x) + (t) + ((c) & ~(d));      \
    a += (b) & (d);                     \
    a = RotateLeft(a, s) + (b);

#define MD5_STEP_H(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (b) ^ ((c) ^ (d));             \
    a = RotateLeft(a, s) + (b);

#define MD5_STEP_I(a, b, c, d, x, t, s) \
    a += (x) + (t);                     \
    a += (c) ^ ((b) | ~(d));            \
    a = RotateLeft(a, s) + (b);

HASH_FORCE_INLINE void HashBlockMD5a(std::uint32_t* pState, const std::uint8_t* pBlock) {
    std::uint32_t X[16];
    for (int i = 0; i < 16; ++i) X[i] = LoadLE32(pBlock + 4 * i);

    std::uint32_t a = pState[0], b = pState[1], c = pState[2], d = pState[3];

    MD5_STEP_F(a, b, c, d, X[0], 0xd76aa478, 7)
    MD5_STEP_F(d, a, b, c, X[1], 0xe8c7b756, 12)
    MD5_STEP_F(c, d, a, b, X[2], 0x242070db, 17)
    MD5_STEP_F(b, c, d, a, X[3], 0xc1bdceee, 22)
    MD5_STEP_F(a, b, c, d, X[4], 0xf57c0faf, 7)
    MD5_STEP_F(d, a, b, c, X[5], 0x4787c62a, 12)
    MD5_STEP_F(c, d, a, b, X[6], 0xa8304613, 17)
    MD5_STEP_F(b, c, d, a, X[7], 0xfd469501, 22)
    MD5_STEP_F(a, b, c, d, X[8], 0x698098d8, 7)
    MD5_STEP_F(d, a, b, c, X[9], 0x8b44f7af, 12)
    MD5_STEP_F(c, d, a, b, X[10], 0xffff5bb1, 17)
    MD5_STEP_F(b, c, d, a, X[11], 0x895cd7be, 22)
    MD5_STEP_F(a, b, c, d, X[12], 0x6b901122, 7)
    MD5_STEP_F(d, a, b, c, X[13], 0xfd987193, 12)
    MD5_STEP_F(c, d, a, b, X[14], 0xa679438e, 17)
    MD5_STEP_F(b, c, d, a, X[15], 0x49b40821, 22)

    MD5_STEP_G(a, b, c, d, X[1], 0xf61e2562, 5)
    MD5_STEP_G(d, a, b, c, X[6], 0xc040b340, 9)
    MD5_STEP_G(c, d, a, b, X[11], 0x265e5a51, 14)
    MD5_STEP_G(b, c, d, a, X[0], 0xe9b6c7aa, 20)
    MD5_STEP_G(a, b, c, d, X[5], 0xd62f105d, 5)
    MD5_STEP_G(d, a, b, c, X[10], 0x02441453, 9)
    MD5_STEP_G(c, d, a, b, X[15], 0xd8a1e681, 14)
    MD5_STEP_G(b, c, d, a, X[4], 0xe7d3fbc8, 20)
    MD5_STEP_G(a, b, c, d, X[9], 0x21e1cde6, 5)
    MD5_STEP_G(d, a, b, c, X[14], 0xc33707d6, 9)
    MD5_STEP_G(c, d, a, b, X[3], 0xf4d50d87, 14)
    MD5_STEP_G(b, c, d, a, X[8], 0x455a14ed, 20)
    MD5_STEP_G(a, b, c, d, X[13], 0xa9e3e905, 5)
    MD5_STEP_G(d, a, b, c, X[2], 0xfcefa3f8, 9)
    MD5_STEP_G(c, d, a, b, X[7], 0x676f02d9, 14)
    MD5_STEP_G(b, c, d, a, X[12], 0x8d2a4c8a, 20)

    MD5_STEP_H(a, b, c, d, X[5], 0xfffa3942, 4)
    MD5_STEP_H(d, a, b, c, X[8], 0x8771f681, 11)
    MD5_STEP_H(c, d, a, b, X[11], 0x6d9d6122, 16)
    MD5_STEP_H(b, c, d, a, X[14], 0xfde5380c, 23)
    MD5_STEP_H(a, b, c, d, X[1], 0xa4beea44, 4)
    MD5_STEP_H(d, a, b, c, X[4], 0x4bdecfa9, 11)
    MD5_STEP_H(c, d, a, b, X[7], 0xf6bb4b60, 16)
    MD5_STEP_H(b, c, d, a, X[10], 0xbebfbc70, 23)
    MD5_STEP_H(a, b, c, d, X[13], 0x289b7ec6, 4)
    MD5_STEP_H(d, a, b, c, X[0], 0xeaa127fa, 11)
    MD5_STEP_H(c, d, a, b, X[3], 0xd4ef3085, 16)
    MD5_STEP_H(b, c, d, a, X[6], 0x04881d05, 23)
    MD5_STEP_H(a, b, c, d, X[9], 0xd9d4d039, 4)
    MD5_STEP_H(d, a, b, c, X[12], 0xe6db99e5, 11)
    MD5_STEP_H(c, d, a, b, X[15], 0x1fa27cf8, 16)
    MD5_STEP_H(b, c, d, a, X[2], 0xc4ac5665, 23)

    MD5_STEP_I(a, b, c, d, X[0], 0xf4292244, 6)
    MD5_STEP_I(d, a, b, c, X[7], 0x432aff97, 10)
    MD5_STEP_I(c, d, a, b, X[14], 0xab9423a7, 15)
    MD5_STEP_I(b, c, d, a, X[5], 0xfc93a039, 21)
    MD5_STEP_I(a, b, c, d, X[12], 0x655b59c3, 6)
    MD5_STEP_I(d, a, b, c, X[3], 0x8f0ccc92, 10)
    MD5_STEP_I(c, d, a, b, X[10], 0xffeff47d, 15)
    MD5_STEP_I(b, c, d, a, X[1], 0x85845dd1, 21)
    MD5_STEP_I(a, b, c, d, X[8], 0x6fa87e4f, 6)
    MD5_STEP_I(d, a, b, c, X[15], 0xfe2ce6e0, 10)
    MD5_STEP_I(c, d, a, b, X[6], 0xa3014314, 15)
    MD5_STEP_I(b, c, d, a, X[13], 0x4e0811a1, 21)
    MD5_STEP_I(a, b, c, d, X[4], 0xf7537e82, 6)
    MD5_STEP_I(d, a, b, c, X[11], 0xbd3af235, 10)
    MD5_STEP_I(c, d, a, b, X[2], 0x2ad7d2bb, 15)
    MD5_STEP_I(b, c, d, a, X[9], 0xeb86d391, 21)

    pState[0] += a;
    pState[1] += b;
    pState[2] += c;
    pState[3] += d;
}

#undef MD5_STEP_F
#undef MD5_STEP_G
#undef MD5_STEP_H
#undef MD5_STEP_I

}  // namespace NDriver
}  // namespace NStandart
}  // namespace NHash
