#include "Sha256Instructions.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))

#include <cpuid.h>
#include <immintrin.h>

bool ShaInstructionsPresent()
{
    static const bool present = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (__get_cpuid_max(0, nullptr) < 7 || !__get_cpuid(1, &a, &b, &c, &d))
            return false;
        const bool ssse3 = c & bit_SSSE3, sse41 = c & bit_SSE4_1;
        __cpuid_count(7, 0, a, b, c, d);
        return ssse3 && sse41 && (b & (1u << 29)); // SHA
    }();
    return present;
}

__attribute__((target("sha,ssse3,sse4.1"))) void ShaInstructionBlocks(uint32_t* State, const uint8_t* Data,
                                                                      size_t Blocks)
{
    // The instructions keep the state as (a, b, e, f) and (c, d, g, h).
    const __m128i bigEndian = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    const __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State)), 0xB1);
    const __m128i hgfe = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(dcba, hgfe, 8);
    __m128i cdgh = _mm_blend_epi16(hgfe, dcba, 0xF0);
    for (; Blocks > 0; --Blocks, Data += 64) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i words[4]; // the last sixteen words of the schedule, four to a vector
        for (int group = 0; group < 16; ++group) {
            __m128i& w = words[group % 4];
            if (group < 4) {
                w = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + 16 * group)), bigEndian);
            } else {
                // W[t] = s1(W[t-2]) + W[t-7] + s0(W[t-15]) + W[t-16], for four t at once.
                const __m128i previous = words[(group + 3) % 4], before = words[(group + 2) % 4];
                w = _mm_sha256msg1_epu32(w, words[(group + 1) % 4]);
                w = _mm_add_epi32(w, _mm_alignr_epi8(previous, before, 4));
                w = _mm_sha256msg2_epu32(w, previous);
            }
            const __m128i sum =
                _mm_add_epi32(w, _mm_loadu_si128(reinterpret_cast<const __m128i*>(Sha256RoundConstants + 4 * group)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(sum, 0x0E));
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(State), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(State + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#else

bool ShaInstructionsPresent()
{
    return false;
}

void ShaInstructionBlocks(uint32_t*, const uint8_t*, size_t) {}

#endif
