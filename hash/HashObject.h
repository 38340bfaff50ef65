#pragma once

#include <cstdint>

namespace NHash {

// The one interface behind every checksum: a message arrives in pieces of any
// size through Update; Final reports the digest of everything so far without
// disturbing the object. Operations answer with success flags, never throw and
// never allocate.
class CHashObject {
public:
    virtual ~CHashObject() {}

    virtual int GetAlgorithmId() const = 0;
    // NUL-terminated UTF-16 name owned by the class.
    virtual const char16_t* GetName() const = 0;
    virtual unsigned GetDigestSize() const = 0;
    virtual void Init() = 0;
    // False (and nothing changed) for a null pointer; any alignment is fine.
    virtual bool Update(const void* pData, std::uint32_t nSize) = 0;
    // Writes GetDigestSize() bytes to pOut. The message ends with the low
    // (nBitCount & 7) bits of nBits in the algorithm's own bit order. False
    // (and nothing written) for a null or too small output buffer.
    virtual bool Final(void* pOut, std::uint32_t nOutSize, std::uint32_t nBits, std::uint32_t nBitCount) const = 0;
    virtual std::uint64_t GetByteCount() const = 0;
};

}  // namespace NHash
