#pragma once

#include "HashObject.h"
#include "SecureZero.h"

namespace NHash {

// What every block-iterated hash holds: the byte count (modulo 2^64) and the
// chaining state, kept as native 32-bit words.
template <int nAlgorithmId, unsigned nDigestSize, unsigned nStateSize>
class CHash : public CHashObject {
    static_assert(nStateSize % 4 == 0 && nDigestSize <= nStateSize, "state is whole words");

public:
    ~CHash() override {
        SecureZero(&m_nByteCount, sizeof m_nByteCount);
        SecureZero(m_State, sizeof m_State);
    }

    int GetAlgorithmId() const override { return nAlgorithmId; }
    unsigned GetDigestSize() const override { return nDigestSize; }
    std::uint64_t GetByteCount() const override { return m_nByteCount; }

protected:
    std::uint64_t m_nByteCount = 0;
    std::uint32_t m_State[nStateSize / 4] = {};
};

}  // namespace NHash
