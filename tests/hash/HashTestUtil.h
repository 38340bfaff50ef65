#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "HashObject.h"

namespace NHashTest {

typedef std::vector<std::uint8_t> Bytes;

inline Bytes DigestOf(const NHash::CHashObject& hash, std::uint32_t nBits = 0, std::uint32_t nBitCount = 0) {
    Bytes out(hash.GetDigestSize());
    if (!hash.Final(out.data(), std::uint32_t(out.size()), nBits, nBitCount)) out.clear();
    return out;
}

inline std::string Hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = std::uint8_t(rng());
    return b;
}

// Feeds the message in pieces whose sizes come from the list, repeated.
inline void FeedInPieces(NHash::CHashObject& hash, const Bytes& msg, const std::vector<std::size_t>& pieces) {
    std::size_t pos = 0, i = 0;
    while (pos < msg.size()) {
        std::size_t n = pieces[i++ % pieces.size()];
        if (n > msg.size() - pos) n = msg.size() - pos;
        hash.Update(msg.data() + pos, std::uint32_t(n));
        pos += n;
    }
}

}  // namespace NHashTest
