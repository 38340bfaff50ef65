#include "PaddingAndEncoding.h"

#include <cstring>

#include "ByteOrder.h"

namespace NHash {
namespace NStandart {

std::uint8_t Padding(std::uint32_t nBits, std::uint32_t nBitCount) {
    return std::uint8_t((nBits << (8 - nBitCount)) | (0x80u >> nBitCount));
}

void CopySize64(std::uint8_t* pDest, std::uint64_t nValue) {
    for (int i = 0; i < 8; ++i) pDest[i] = std::uint8_t(nValue >> (8 * i));
}

void CopySize64SHA1(std::uint8_t* pDest, std::uint64_t nValue) {
    for (int i = 0; i < 8; ++i) pDest[i] = std::uint8_t(nValue >> (56 - 8 * i));
}

// The state is held as native 32-bit words; the digest's byte order is fixed
// whatever the machine's.
void CopyDigestMD(std::uint8_t* pDest, const std::uint8_t* pState, std::uint32_t n) {
    std::uint8_t word[4];
    for (std::uint32_t i = 0; i < n; ++i) {
        if ((i & 3) == 0) {
            std::uint32_t w;
            std::memcpy(&w, pState + i, 4);
            StoreLE32(word, w);
        }
        pDest[i] = word[i & 3];
    }
}

void CopyDigestSHA(std::uint8_t* pDest, const std::uint8_t* pState, std::uint32_t n) {
    for (std::uint32_t i = 0; i + 4 <= n; i += 4) {
        std::uint32_t w;
        std::memcpy(&w, pState + i, 4);
        StoreBE32(pDest + i, w);
    }
}

}  // namespace NStandart
}  // namespace NHash
