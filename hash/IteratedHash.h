#pragma once

#include <cstddef>
#include <cstring>

#include "Hash.h"

namespace NHash {

// Block function: compresses one block (any alignment) into the chaining state.
typedef void (*PFN_HASH_BLOCK)(std::uint32_t* pState, const std::uint8_t* pBlock);
// Forms the byte that follows the last whole message byte from the trailing
// bits (count 0 to 7).
typedef std::uint8_t (*PFN_PADDING)(std::uint32_t nBits, std::uint32_t nBitCount);
// Writes the message length in bits into the length field of the last block.
typedef void (*PFN_COPY_SIZE)(std::uint8_t* pDest, std::uint64_t nValue);
// Writes the first n bytes of the digest from the chaining state.
typedef void (*PFN_COPY_DIGEST)(std::uint8_t* pDest, const std::uint8_t* pState, std::uint32_t n);

// The run of whole blocks for a block function: Run compresses nBlocks
// consecutive blocks (any alignment) into the chaining state, as many calls of
// the block function would. This one calls the block function once per block;
// with a block function defined inline, the chaining words stay in registers
// from one block to the next. An algorithm whose block function is chosen at
// run time specialises it for that block function with a run of its own, which
// chooses once per run rather than once per block.
template <unsigned nBlockSize, PFN_HASH_BLOCK pfnHashBlock>
struct CHashBlockRun {
    static void Run(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks) {
        for (; nBlocks; --nBlocks, pBlocks += nBlockSize) pfnHashBlock(pState, pBlocks);
    }
};

// Merkle-Damgard framing shared by MD5 and SHA-1: buffering of the partial
// block, padding, the length field and the digest; the algorithm's own steps
// are bound at compile time. The number of buffered bytes is always the byte
// count modulo the block size. Update hands each run of whole blocks to the
// block function's run (CHashBlockRun) in one call.
template <int nAlgorithmId, unsigned nDigestSize, unsigned nStateSize, unsigned nBlockSize, unsigned nLengthSize,
          PFN_HASH_BLOCK pfnHashBlock, PFN_PADDING pfnPadding, PFN_COPY_SIZE pfnCopySize, PFN_COPY_DIGEST pfnCopyDigest>
class CIteratedHash : public CHash<nAlgorithmId, nDigestSize, nStateSize> {
    static_assert((nBlockSize & (nBlockSize - 1)) == 0, "block size is a power of two");
    static_assert(nLengthSize == 8 && nLengthSize < nBlockSize, "64-bit length field");

    typedef CHash<nAlgorithmId, nDigestSize, nStateSize> CBase;
    typedef CHashBlockRun<nBlockSize, pfnHashBlock> CBlockRun;

public:
    ~CIteratedHash() override { SecureZero(m_Block, sizeof m_Block); }

    bool Update(const void* pData, std::uint32_t nSize) override {
        if (!pData) return false;
        if (nSize == 0) return true;
        const std::uint8_t* p = static_cast<const std::uint8_t*>(pData);
        std::uint32_t* pState = this->m_State;
        std::uint64_t nCount = this->m_nByteCount;
        const unsigned nFill = unsigned(nCount) & (nBlockSize - 1);
        if (nFill) {
            const unsigned nRoom = nBlockSize - nFill;
            if (nSize < nRoom) {
                std::memcpy(m_Block + nFill, p, nSize);
                this->m_nByteCount = nCount + nSize;
                return true;
            }
            std::memcpy(m_Block + nFill, p, nRoom);
            CBlockRun::Run(pState, m_Block, 1);
            nCount += nRoom;
            p += nRoom;
            nSize -= nRoom;
        }
        // Whole blocks straight from the caller's buffer.
        const std::uint32_t nWhole = nSize & ~(nBlockSize - 1);
        if (nWhole) {
            CBlockRun::Run(pState, p, nWhole / nBlockSize);
            p += nWhole;
            nSize -= nWhole;
            nCount += nWhole;
        }
        if (nSize) {
            std::memcpy(m_Block, p, nSize);
            nCount += nSize;
        }
        this->m_nByteCount = nCount;
        return true;
    }

    bool Final(void* pOut, std::uint32_t nOutSize, std::uint32_t nBits, std::uint32_t nBitCount) const override {
        if (!pOut || nOutSize < nDigestSize) return false;
        std::uint32_t state[nStateSize / 4];
        std::memcpy(state, this->m_State, sizeof state);
        std::uint8_t block[nBlockSize] = {};
        const unsigned nFill = unsigned(this->m_nByteCount) & (nBlockSize - 1);
        std::memcpy(block, m_Block, nFill);
        const std::uint32_t n = nBitCount & 7;
        block[nFill] = pfnPadding(nBits, n);
        if (nFill >= nBlockSize - nLengthSize) {
            pfnHashBlock(state, block);
            std::memset(block, 0, sizeof block);
        }
        pfnCopySize(block + nBlockSize - nLengthSize, (this->m_nByteCount << 3) + n);
        pfnHashBlock(state, block);
        pfnCopyDigest(static_cast<std::uint8_t*>(pOut), reinterpret_cast<const std::uint8_t*>(state), nDigestSize);
        SecureZero(state, sizeof state);
        SecureZero(block, sizeof block);
        return true;
    }

private:
    std::uint8_t m_Block[nBlockSize];
};

}  // namespace NHash
