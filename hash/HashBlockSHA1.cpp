#include "HashBlockSHA1.h"

#include <atomic>

#include "ByteOrder.h"

namespace NHash {
namespace NStandart {
namespace NDriver {

// Rounds t = 0..79 on a sixteen-word window of the message schedule:
// W[t] = (W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]) <<< 1 for t >= 16.
#define SHA1_W(t) (W[(t)&15] = RotateLeft(W[((t) + 13) & 15] ^ W[((t) + 8) & 15] ^ W[((t) + 2) & 15] ^ W[(t)&15], 1))

#define SHA1_ROUND(a, b, c, d, e, f, k, w)   \
    e += RotateLeft(a, 5) + (f) + (k) + (w); \
    b = RotateLeft(b, 30);

#define SHA1_F1(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define SHA1_F2(b, c, d) ((b) ^ (c) ^ (d))
#define SHA1_F3(b, c, d) (((b) & (c)) + ((d) & ((b) ^ (c))))

#define SHA1_R0(a, b, c, d, e, t) SHA1_ROUND(a, b, c, d, e, SHA1_F1(b, c, d), 0x5A827999u, W[t])
#define SHA1_R1(a, b, c, d, e, t) SHA1_ROUND(a, b, c, d, e, SHA1_F1(b, c, d), 0x5A827999u, SHA1_W(t))
#define SHA1_R2(a, b, c, d, e, t) SHA1_ROUND(a, b, c, d, e, SHA1_F2(b, c, d), 0x6ED9EBA1u, SHA1_W(t))
#define SHA1_R3(a, b, c, d, e, t) SHA1_ROUND(a, b, c, d, e, SHA1_F3(b, c, d), 0x8F1BBCDCu, SHA1_W(t))
#define SHA1_R4(a, b, c, d, e, t) SHA1_ROUND(a, b, c, d, e, SHA1_F2(b, c, d), 0xCA62C1D6u, SHA1_W(t))

// Five rounds rotate the roles of the five words back to where they started.
#define SHA1_FIVE(R, t)       \
    R(a, b, c, d, e, (t) + 0) \
    R(e, a, b, c, d, (t) + 1) \
    R(d, e, a, b, c, (t) + 2) \
    R(c, d, e, a, b, (t) + 3) \
    R(b, c, d, e, a, (t) + 4)

void HashBlockSHA1Portable(std::uint32_t* pState, const std::uint8_t* pBlock) {
    std::uint32_t W[16];
    for (int i = 0; i < 16; ++i) W[i] = LoadBE32(pBlock + 4 * i);

    std::uint32_t a = pState[0], b = pState[1], c = pState[2], d = pState[3], e = pState[4];

    SHA1_FIVE(SHA1_R0, 0)
    SHA1_FIVE(SHA1_R0, 5)
    SHA1_FIVE(SHA1_R0, 10)
    // Round 15 still reads the block; 16 to 19 extend the schedule.
    SHA1_R0(a, b, c, d, e, 15)
    SHA1_R1(e, a, b, c, d, 16)
    SHA1_R1(d, e, a, b, c, 17)
    SHA1_R1(c, d, e, a, b, 18)
    SHA1_R1(b, c, d, e, a, 19)

    SHA1_FIVE(SHA1_R2, 20)
    SHA1_FIVE(SHA1_R2, 25)
    SHA1_FIVE(SHA1_R2, 30)
    SHA1_FIVE(SHA1_R2, 35)

    SHA1_FIVE(SHA1_R3, 40)
    SHA1_FIVE(SHA1_R3, 45)
    SHA1_FIVE(SHA1_R3, 50)
    SHA1_FIVE(SHA1_R3, 55)

    SHA1_FIVE(SHA1_R4, 60)
    SHA1_FIVE(SHA1_R4, 65)
    SHA1_FIVE(SHA1_R4, 70)
    SHA1_FIVE(SHA1_R4, 75)

    pState[0] += a;
    pState[1] += b;
    pState[2] += c;
    pState[3] += d;
    pState[4] += e;
}

namespace {

typedef void (*PFN_BLOCKS)(std::uint32_t*, const std::uint8_t*, std::size_t);

void HashBlocksSHA1Portable(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks) {
    for (; nBlocks; --nBlocks, pBlocks += 64) HashBlockSHA1Portable(pState, pBlocks);
}

void ResolveAndHashBlocks(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks);

// The run function in use; starts as the resolver, which replaces itself with
// the chosen function on the first call. Relaxed atomics: every thread that
// resolves stores the same value.
std::atomic<PFN_BLOCKS> g_pfnBlocks{ResolveAndHashBlocks};

// The run function for this processor, from now on the one in use.
PFN_BLOCKS Resolve() {
    const PFN_BLOCKS pfn = HasSHA1Instructions() ? HashBlocksSHA1Accelerated : HashBlocksSHA1Portable;
    g_pfnBlocks.store(pfn, std::memory_order_relaxed);
    return pfn;
}

void ResolveAndHashBlocks(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks) {
    Resolve()(pState, pBlocks, nBlocks);
}

}  // namespace

bool UsesSHA1Instructions() {
    PFN_BLOCKS pfn = g_pfnBlocks.load(std::memory_order_relaxed);
    if (pfn == ResolveAndHashBlocks) pfn = Resolve();
    return pfn == HashBlocksSHA1Accelerated;
}

void HashBlocksSHA1(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks) {
    g_pfnBlocks.load(std::memory_order_relaxed)(pState, pBlocks, nBlocks);
}

void HashBlockSHA1(std::uint32_t* pState, const std::uint8_t* pBlock) { HashBlocksSHA1(pState, pBlock, 1); }

}  // namespace NDriver
}  // namespace NStandart
}  // namespace NHash
