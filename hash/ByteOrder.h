#pragma once

#include <cstdint>
#include <cstring>

namespace NHash {

// Unaligned loads and stores in a fixed byte order; on a little-endian machine
// the little-endian ones compile to plain moves and the big-endian ones to a
// move and a byte swap.

inline std::uint32_t LoadLE32(const std::uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
#else
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
#endif
}

inline std::uint64_t LoadLE64(const std::uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
#else
    return std::uint64_t(LoadLE32(p)) | std::uint64_t(LoadLE32(p + 4)) << 32;
#endif
}

inline std::uint32_t LoadBE32(const std::uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return __builtin_bswap32(v);
#else
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
#endif
}

inline void StoreLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

inline void StoreBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

inline std::uint32_t RotateLeft(std::uint32_t v, unsigned n) { return (v << n) | (v >> (32 - n)); }

}  // namespace NHash
