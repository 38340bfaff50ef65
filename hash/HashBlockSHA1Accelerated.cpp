#include "HashBlockSHA1.h"

// SHA-1 runs of blocks on the x86 SHA extensions. Compiled for those
// instructions only inside the functions marked below, so the rest of the
// library stays generic x86-64; HasSHA1Instructions decides at run time.

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

namespace NHash {
namespace NStandart {
namespace NDriver {

bool HasSHA1Instructions() {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    const bool bSSSE3 = (ecx & bit_SSSE3) != 0;
    const bool bSSE41 = (ecx & bit_SSE4_1) != 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    const bool bSHA = (ebx & bit_SHA) != 0;
    return bSSSE3 && bSSE41 && bSHA;
}

// Four rounds with round function f. E holds e (plus the message words) in its
// top lane, ABCD holds a..d from the top lane down.
#define SHA1NI_ROUNDS(f, msg)                \
    e1 = _mm_sha1nexte_epu32(abcdPrev, msg); \
    abcdPrev = abcd;                         \
    abcd = _mm_sha1rnds4_epu32(abcd, e1, f);

// Next four schedule words from the previous sixteen (m0 oldest):
// W[t] = (W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]) <<< 1.
#define SHA1NI_SCHEDULE(m0, m1, m2, m3) m0 = _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(m0, m1), m2), m3);

// The chaining words stay in registers for the whole run: ABCD in one vector
// (a in the top lane), e in the top lane of another.
__attribute__((target("sha,sse4.1,ssse3"))) void HashBlocksSHA1Accelerated(std::uint32_t* pState,
                                                                           const std::uint8_t* pBlocks,
                                                                           std::size_t nBlocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    const __m128i* p = reinterpret_cast<const __m128i*>(pBlocks);

    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pState)), 0x1B);
    __m128i e0 = _mm_set_epi32(int(pState[4]), 0, 0, 0);

    for (; nBlocks; --nBlocks, p += 4) {
        const __m128i abcdSave = abcd;
        const __m128i eSave = e0;
        __m128i m0 = _mm_shuffle_epi8(_mm_loadu_si128(p + 0), byteSwap);
        __m128i m1 = _mm_shuffle_epi8(_mm_loadu_si128(p + 1), byteSwap);
        __m128i m2 = _mm_shuffle_epi8(_mm_loadu_si128(p + 2), byteSwap);
        __m128i m3 = _mm_shuffle_epi8(_mm_loadu_si128(p + 3), byteSwap);

        // Rounds 0-3: e enters by plain addition.
        __m128i e1 = _mm_add_epi32(eSave, m0);
        __m128i abcdPrev = abcd;
        abcd = _mm_sha1rnds4_epu32(abcd, e1, 0);

        // The rounds stand as a table: the macros are statements of their own,
        // which the formatter would run together.
        // clang-format off
        SHA1NI_ROUNDS(0, m1)                                      // 4-7
        SHA1NI_ROUNDS(0, m2)                                      // 8-11
        SHA1NI_ROUNDS(0, m3)                                      // 12-15
        SHA1NI_SCHEDULE(m0, m1, m2, m3) SHA1NI_ROUNDS(0, m0)      // 16-19
        SHA1NI_SCHEDULE(m1, m2, m3, m0) SHA1NI_ROUNDS(1, m1)      // 20-23
        SHA1NI_SCHEDULE(m2, m3, m0, m1) SHA1NI_ROUNDS(1, m2)
        SHA1NI_SCHEDULE(m3, m0, m1, m2) SHA1NI_ROUNDS(1, m3)
        SHA1NI_SCHEDULE(m0, m1, m2, m3) SHA1NI_ROUNDS(1, m0)
        SHA1NI_SCHEDULE(m1, m2, m3, m0) SHA1NI_ROUNDS(1, m1)      // 36-39
        SHA1NI_SCHEDULE(m2, m3, m0, m1) SHA1NI_ROUNDS(2, m2)      // 40-43
        SHA1NI_SCHEDULE(m3, m0, m1, m2) SHA1NI_ROUNDS(2, m3)
        SHA1NI_SCHEDULE(m0, m1, m2, m3) SHA1NI_ROUNDS(2, m0)
        SHA1NI_SCHEDULE(m1, m2, m3, m0) SHA1NI_ROUNDS(2, m1)
        SHA1NI_SCHEDULE(m2, m3, m0, m1) SHA1NI_ROUNDS(2, m2)      // 56-59
        SHA1NI_SCHEDULE(m3, m0, m1, m2) SHA1NI_ROUNDS(3, m3)      // 60-63
        SHA1NI_SCHEDULE(m0, m1, m2, m3) SHA1NI_ROUNDS(3, m0)
        SHA1NI_SCHEDULE(m1, m2, m3, m0) SHA1NI_ROUNDS(3, m1)
        SHA1NI_SCHEDULE(m2, m3, m0, m1) SHA1NI_ROUNDS(3, m2)
        SHA1NI_SCHEDULE(m3, m0, m1, m2) SHA1NI_ROUNDS(3, m3)      // 76-79

        // e after round 79 is a of round 75 rotated; fold in the block's
        // starting state.
        e0 = _mm_sha1nexte_epu32(abcdPrev, eSave);
        // clang-format on
        abcd = _mm_add_epi32(abcd, abcdSave);
    }

    _mm_storeu_si128(reinterpret_cast<__m128i*>(pState), _mm_shuffle_epi32(abcd, 0x1B));
    pState[4] = std::uint32_t(_mm_extract_epi32(e0, 3));
}

#undef SHA1NI_ROUNDS
#undef SHA1NI_SCHEDULE

}  // namespace NDriver
}  // namespace NStandart
}  // namespace NHash

#else

namespace NHash {
namespace NStandart {
namespace NDriver {

bool HasSHA1Instructions() { return false; }

void HashBlocksSHA1Accelerated(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks) {
    for (; nBlocks; --nBlocks, pBlocks += 64) HashBlockSHA1Portable(pState, pBlocks);
}

}  // namespace NDriver
}  // namespace NStandart
}  // namespace NHash

#endif
