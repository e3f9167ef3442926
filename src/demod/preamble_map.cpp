// Vector kernels of the preamble test, picked once by what the CPU offers.
//
// min(pulses) - max(gaps) >= 2 is the whole preamble test: preambleAt() stops at the first sample
// that breaks it, but its running minimum only falls and its running maximum only rises, so it
// fails exactly when the final pair does. Bytes suffice because magnitudes are clipped to 181;
// subtracting with saturation keeps the comparison exact for any byte values all the same.
#include "demod/preamble_map.h"

#include "demod/vector_level.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VARNOCK_X86_KERNELS 1
#endif

namespace varnock {

namespace {

constexpr int kPulses[4] = {0, 2, 7, 9};
constexpr int kGaps[12] = {1, 3, 4, 5, 6, 8, 10, 11, 12, 13, 14, 15};

} // namespace

uint64_t preambleWordPortable(const uint8_t* m, int base)
{
    // Compiler vectors (NEON, SSE2 or scalar code, whatever the target has), 16 positions a step.
    typedef uint8_t V __attribute__((vector_size(16)));
    const auto load = [](const uint8_t* p) {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    const auto vmin = [](V a, V b) { return a < b ? a : b; };
    const auto vmax = [](V a, V b) { return a > b ? a : b; };
    uint64_t word = 0;
    for (int j = 0; j < 64; j += 16) {
        const uint8_t* p = m + base + j;
        V hi = load(p + kPulses[0]);
        for (int o : kPulses) hi = vmin(hi, load(p + o));
        V lo = load(p + kGaps[0]);
        for (int o : kGaps) lo = vmax(lo, load(p + o));
        // hi - lo >= 2 without leaving bytes: hi >= 2 and hi - 2 >= lo.
        const V two = V{} + 2;
        const V pass = (hi >= two) & ((hi - two) >= lo);
        for (int i = 0; i < 16; ++i) word |= static_cast<uint64_t>(pass[i] & 1u) << (j + i);
    }
    return word;
}

namespace {

#ifdef VARNOCK_X86_KERNELS

// One kernel body for every vector width: LOAD, MIN, MAX of the width, APART(hi, lo) giving one bit
// per lane where hi - lo >= 2. Written once as a macro so that each copy is compiled whole for
// its own instruction set.
#define VARNOCK_PREAMBLE_WORDS(LANES, LOAD, MIN, MAX, APART)                                          \
    for (int w = 0; w < count; ++w) {                                                                  \
        uint64_t word = 0;                                                                             \
        for (int j = 0; j < 64; j += LANES) {                                                          \
            const uint8_t* p = m + base + 64 * w + j;                                                  \
            const auto hi = MIN(MIN(LOAD(p), LOAD(p + 2)), MIN(LOAD(p + 7), LOAD(p + 9)));             \
            auto lo = MAX(LOAD(p + 1), LOAD(p + 3));                                                   \
            lo = MAX(lo, MAX(LOAD(p + 4), LOAD(p + 5)));                                               \
            lo = MAX(lo, MAX(LOAD(p + 6), LOAD(p + 8)));                                               \
            lo = MAX(lo, MAX(LOAD(p + 10), LOAD(p + 11)));                                             \
            lo = MAX(lo, MAX(LOAD(p + 12), LOAD(p + 13)));                                             \
            lo = MAX(lo, MAX(LOAD(p + 14), LOAD(p + 15)));                                             \
            word |= static_cast<uint64_t>(APART(hi, lo)) << j;                                         \
        }                                                                                              \
        out[w] = word;                                                                                 \
    }

#define SSE_LOAD(p) _mm_loadu_si128(reinterpret_cast<const __m128i*>(p))
// (hi -sat lo) -sat 1 is zero exactly when hi - lo < 2.
#define SSE_APART(hi, lo)                                                                              \
    (~static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(                                         \
         _mm_subs_epu8(_mm_subs_epu8(hi, lo), _mm_set1_epi8(1)), _mm_setzero_si128()))) & 0xffffu)
void wordsSse2(const uint8_t* m, int base, int count, uint64_t* out)
{
    VARNOCK_PREAMBLE_WORDS(16, SSE_LOAD, _mm_min_epu8, _mm_max_epu8, SSE_APART)
}

#define AVX2_LOAD(p) _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))
#define AVX2_APART(hi, lo)                                                                             \
    (~static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(                                   \
        _mm256_subs_epu8(_mm256_subs_epu8(hi, lo), _mm256_set1_epi8(1)), _mm256_setzero_si256()))))
__attribute__((target("avx2"))) void wordsAvx2(const uint8_t* m, int base, int count, uint64_t* out)
{
    VARNOCK_PREAMBLE_WORDS(32, AVX2_LOAD, _mm256_min_epu8, _mm256_max_epu8, AVX2_APART)
}

#define AVX512_APART(hi, lo) _mm512_cmpge_epu8_mask(_mm512_subs_epu8(hi, lo), _mm512_set1_epi8(2))
__attribute__((target("avx512bw"))) void wordsAvx512(const uint8_t* m, int base, int count, uint64_t* out)
{
    VARNOCK_PREAMBLE_WORDS(64, _mm512_loadu_si512, _mm512_min_epu8, _mm512_max_epu8, AVX512_APART)
}

#endif

} // namespace

void preambleWords(VectorLevel level, const uint8_t* m, int base, int count, uint64_t* out)
{
    switch (level) {
#ifdef VARNOCK_X86_KERNELS
    case VectorLevel::Avx512bw: return wordsAvx512(m, base, count, out);
    case VectorLevel::Avx2: return wordsAvx2(m, base, count, out);
    case VectorLevel::Sse2: return wordsSse2(m, base, count, out);
#endif
    default:
        for (int w = 0; w < count; ++w) out[w] = preambleWordPortable(m, base + 64 * w);
    }
}

void preambleWords(const uint8_t* m, int base, int count, uint64_t* out)
{
    preambleWords(bestVectorLevel(), m, base, count, out);
}

} // namespace varnock
