#pragma once

#include "HashObject.h"

namespace NHash {
namespace NCRC {

constexpr int kCRC32AlgorithmId = 1;
constexpr unsigned kCRC32DigestSize = 4;

// CRC-32 of ISO-HDLC / IEEE 802.3 (reflected polynomial 0xEDB88320, preset and
// final complement). The object holds only the finished CRC of the bytes so far.
class CHashCRC32 : public CHashObject {
public:
    CHashCRC32() { Init(); }
    ~CHashCRC32() override;

    int GetAlgorithmId() const override { return kCRC32AlgorithmId; }
    const char16_t* GetName() const override;
    unsigned GetDigestSize() const override { return kCRC32DigestSize; }
    void Init() override;
    bool Update(const void* pData, std::uint32_t nSize) override;
    bool Final(void* pOut, std::uint32_t nOutSize, std::uint32_t nBits, std::uint32_t nBitCount) const override;
    std::uint64_t GetByteCount() const override { return m_nByteCount; }

private:
    std::uint64_t m_nByteCount;
    std::uint32_t m_nCRC;
};

}  // namespace NCRC
}  // namespace NHash
