#pragma once

#include <cstdint>

namespace NHash {
namespace NStandart {

// How MD5 and SHA-1 close a message and hand out their digest: the padding
// byte, the length field of the last block and the digest's byte order. Each
// is a compile-time argument of CIteratedHash.

// The byte after the last whole message byte: the low nBitCount (0 to 7) bits
// of nBits at the top, keeping their order, then a single 1 bit, then zeros.
std::uint8_t Padding(std::uint32_t nBits, std::uint32_t nBitCount);

// The 64-bit message length, least significant byte first (MD5).
void CopySize64(std::uint8_t* pDest, std::uint64_t nValue);
// The 64-bit message length, most significant byte first (SHA-1).
void CopySize64SHA1(std::uint8_t* pDest, std::uint64_t nValue);

// The first n bytes of the chaining state, each 32-bit word least significant
// byte first (MD5).
void CopyDigestMD(std::uint8_t* pDest, const std::uint8_t* pState, std::uint32_t n);
// The n / 4 whole 32-bit words of the chaining state, each most significant
// byte first (SHA-1).
void CopyDigestSHA(std::uint8_t* pDest, const std::uint8_t* pState, std::uint32_t n);

}  // namespace NStandart
}  // namespace NHash
