// Magnitude and noise passes: the plain 16-bit ones, and the fused byte pass with its vector kernels.
#include "demod/magnitude.h"

#include <cmath>

#include "demod/vector_level.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VARNOCK_X86_KERNELS 1
#endif

namespace varnock {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define VARNOCK_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VARNOCK_CLONES
#endif

VARNOCK_CLONES
void computeMagnitudes(const uint8_t* iq, uint16_t* m, int pairs)
{
    for (int p = 0; p < pairs; ++p) {
        const int i = iq[2 * p] - 128;
        const int q = iq[2 * p + 1] - 128;
        m[p] = static_cast<uint16_t>((i < 0 ? -i : i) + (q < 0 ? -q : q));
    }
}

namespace {

int noiseOf(uint32_t sum, uint32_t strong, int pairs)
{
    if (strong == static_cast<uint32_t>(pairs)) strong /= 2;
    const double noise = (2.0 * sum) / static_cast<double>(static_cast<uint32_t>(pairs) - strong);
    return static_cast<int>(std::nearbyint(noise));
}

// The vector kernels' end: the pairs after `done` one by one, then the noise of the whole.
int withTail(const uint8_t* iq, uint8_t* m8, int pairs, int done, uint64_t sum, uint64_t weak)
{
    for (int p = done; p < pairs; ++p) {
        const int i = iq[2 * p] - 128;
        const int q = iq[2 * p + 1] - 128;
        const int v = (i < 0 ? -i : i) + (q < 0 ? -q : q);
        if (v < 15) sum += static_cast<uint64_t>(v), ++weak;
        m8[p] = static_cast<uint8_t>(v > kMagnitudeClip ? kMagnitudeClip : v);
    }
    return noiseOf(static_cast<uint32_t>(sum), static_cast<uint32_t>(static_cast<uint64_t>(pairs) - weak), pairs);
}

} // namespace

VARNOCK_CLONES
int estimateNoiseAndClip(uint16_t* m, int pairs)
{
    uint32_t sum = 0;
    uint32_t strong = 0;
    for (int p = 0; p < pairs; ++p) {
        const uint16_t v = m[p];
        const bool weak = v < 15;
        sum += weak ? v : 0u;
        strong += weak ? 0u : 1u;
        m[p] = v > kMagnitudeClip ? kMagnitudeClip : v;
    }
    return noiseOf(sum, strong, pairs);
}

namespace {

int fusedPortable(const uint8_t* iq, uint8_t* m8, int pairs) { return withTail(iq, m8, pairs, 0, 0, 0); }

#ifdef VARNOCK_X86_KERNELS

// Every width does the same: |x - 128| per byte as the larger saturated difference, I + Q as a
// 16-bit sum of each byte pair, packed back to bytes (256 saturates to 255, then the clip to 181),
// the weak values and their count summed with SAD. The tail goes through the portable loop.
int fusedSse2(const uint8_t* iq, uint8_t* m8, int pairs)
{
    const __m128i mid = _mm_set1_epi8(static_cast<char>(128));
    const __m128i low = _mm_set1_epi16(0x00ff);
    const __m128i clip = _mm_set1_epi8(static_cast<char>(kMagnitudeClip));
    const __m128i fourteen = _mm_set1_epi8(14);
    const __m128i one = _mm_set1_epi8(1);
    __m128i sum = _mm_setzero_si128();
    __m128i weak = _mm_setzero_si128();
    const int blocks = pairs / 16;
    for (int b = 0; b < blocks; ++b) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(iq + 32 * b));
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(iq + 32 * b + 16));
        x = _mm_or_si128(_mm_subs_epu8(x, mid), _mm_subs_epu8(mid, x));
        y = _mm_or_si128(_mm_subs_epu8(y, mid), _mm_subs_epu8(mid, y));
        x = _mm_add_epi16(_mm_and_si128(x, low), _mm_srli_epi16(x, 8));
        y = _mm_add_epi16(_mm_and_si128(y, low), _mm_srli_epi16(y, 8));
        const __m128i v = _mm_packus_epi16(x, y);
        const __m128i isWeak = _mm_cmpeq_epi8(_mm_min_epu8(v, fourteen), v);
        sum = _mm_add_epi64(sum, _mm_sad_epu8(_mm_and_si128(v, isWeak), _mm_setzero_si128()));
        weak = _mm_add_epi64(weak, _mm_sad_epu8(_mm_and_si128(isWeak, one), _mm_setzero_si128()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(m8 + 16 * b), _mm_min_epu8(v, clip));
    }
    uint64_t s[2], w[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s), sum);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), weak);
    return withTail(iq, m8, pairs, 16 * blocks, s[0] + s[1], w[0] + w[1]);
}

__attribute__((target("avx2"))) int fusedAvx2(const uint8_t* iq, uint8_t* m8, int pairs)
{
    const __m256i mid = _mm256_set1_epi8(static_cast<char>(128));
    const __m256i low = _mm256_set1_epi16(0x00ff);
    const __m256i clip = _mm256_set1_epi8(static_cast<char>(kMagnitudeClip));
    const __m256i fourteen = _mm256_set1_epi8(14);
    const __m256i one = _mm256_set1_epi8(1);
    __m256i sum = _mm256_setzero_si256();
    __m256i weak = _mm256_setzero_si256();
    const int blocks = pairs / 32;
    for (int b = 0; b < blocks; ++b) {
        __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(iq + 64 * b));
        __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(iq + 64 * b + 32));
        x = _mm256_or_si256(_mm256_subs_epu8(x, mid), _mm256_subs_epu8(mid, x));
        y = _mm256_or_si256(_mm256_subs_epu8(y, mid), _mm256_subs_epu8(mid, y));
        x = _mm256_add_epi16(_mm256_and_si256(x, low), _mm256_srli_epi16(x, 8));
        y = _mm256_add_epi16(_mm256_and_si256(y, low), _mm256_srli_epi16(y, 8));
        // packus works per 128-bit half: put the four 8-byte groups back in order.
        const __m256i v = _mm256_permute4x64_epi64(_mm256_packus_epi16(x, y), 0xd8);
        const __m256i isWeak = _mm256_cmpeq_epi8(_mm256_min_epu8(v, fourteen), v);
        sum = _mm256_add_epi64(sum, _mm256_sad_epu8(_mm256_and_si256(v, isWeak), _mm256_setzero_si256()));
        weak = _mm256_add_epi64(weak, _mm256_sad_epu8(_mm256_and_si256(isWeak, one), _mm256_setzero_si256()));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(m8 + 32 * b), _mm256_min_epu8(v, clip));
    }
    uint64_t s[4], w[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(s), sum);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w), weak);
    return withTail(iq, m8, pairs, 32 * blocks, s[0] + s[1] + s[2] + s[3], w[0] + w[1] + w[2] + w[3]);
}

__attribute__((target("avx512bw"))) int fusedAvx512(const uint8_t* iq, uint8_t* m8, int pairs)
{
    const __m512i mid = _mm512_set1_epi8(static_cast<char>(128));
    const __m512i low = _mm512_set1_epi16(0x00ff);
    const __m512i clip = _mm512_set1_epi8(static_cast<char>(kMagnitudeClip));
    const __m512i fifteen = _mm512_set1_epi8(15);
    const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    __m512i sum = _mm512_setzero_si512();
    uint64_t weak = 0;
    const int blocks = pairs / 64;
    for (int b = 0; b < blocks; ++b) {
        __m512i x = _mm512_loadu_si512(iq + 128 * b);
        __m512i y = _mm512_loadu_si512(iq + 128 * b + 64);
        x = _mm512_or_si512(_mm512_subs_epu8(x, mid), _mm512_subs_epu8(mid, x));
        y = _mm512_or_si512(_mm512_subs_epu8(y, mid), _mm512_subs_epu8(mid, y));
        x = _mm512_add_epi16(_mm512_and_si512(x, low), _mm512_srli_epi16(x, 8));
        y = _mm512_add_epi16(_mm512_and_si512(y, low), _mm512_srli_epi16(y, 8));
        const __m512i v = _mm512_maskz_permutexvar_epi64(0xff, order, _mm512_packus_epi16(x, y));
        const __mmask64 isWeak = _mm512_cmplt_epu8_mask(v, fifteen);
        sum = _mm512_add_epi64(sum, _mm512_sad_epu8(_mm512_maskz_mov_epi8(isWeak, v), _mm512_setzero_si512()));
        weak += static_cast<uint64_t>(__builtin_popcountll(isWeak));
        _mm512_storeu_si512(m8 + 64 * b, _mm512_min_epu8(v, clip));
    }
    uint64_t s[8];
    _mm512_storeu_si512(s, sum);
    return withTail(iq, m8, pairs, 64 * blocks, s[0] + s[1] + s[2] + s[3] + s[4] + s[5] + s[6] + s[7], weak);
}

#endif

} // namespace

int clippedMagnitudesWithNoise(VectorLevel level, const uint8_t* iq, uint8_t* m8, int pairs)
{
    switch (level) {
#ifdef VARNOCK_X86_KERNELS
    case VectorLevel::Avx512bw: return fusedAvx512(iq, m8, pairs);
    case VectorLevel::Avx2: return fusedAvx2(iq, m8, pairs);
    case VectorLevel::Sse2: return fusedSse2(iq, m8, pairs);
#endif
    default: return fusedPortable(iq, m8, pairs);
    }
}

int clippedMagnitudesWithNoise(const uint8_t* iq, uint8_t* m8, int pairs)
{
    return clippedMagnitudesWithNoise(bestVectorLevel(), iq, m8, pairs);
}

} // namespace varnock
