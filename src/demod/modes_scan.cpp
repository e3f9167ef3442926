// Mode-S scan: plain reference and a vector pre-check that rejects most positions sixteen at a time.
#include "demod/modes_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "demod/magnitude.h"

namespace varnock {

namespace {

constexpr uint8_t kPattern[16] = {1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};

// df values that go on to validation: 0, 4, 5, 11, 16..21.
constexpr uint32_t kDfMask = (1u << 0) | (1u << 4) | (1u << 5) | (1u << 11) | (1u << 16) | (1u << 17) |
                             (1u << 18) | (1u << 19) | (1u << 20) | (1u << 21);

} // namespace

bool preambleAt(const uint16_t* m, int k)
{
    int hiMin = 255;
    int loMax = 0;
    for (int i = 0; i < 16; ++i) {
        const int s = m[k + i];
        if (kPattern[i]) {
            if (s < hiMin) hiMin = s;
        } else if (s > loMax) {
            loMax = s;
        }
        if (hiMin - loMax < 2) return false;
    }
    return true;
}

bool sliceCandidate(const uint16_t* m, int k, RawFrame& f)
{
    int level = (m[k] + m[k + 2] + m[k + 7] + m[k + 9]) / 4;
    if (level == 26) level = 27; // 26 is the escape byte of the binary output
    const int d = k + 16;
    const uint16_t* p = m + d;
    for (int byte = 0; byte < 14; ++byte) {
        unsigned v = 0;
        for (int b = 0; b < 8; ++b) {
            v = (v << 1) | (p[0] > p[1] ? 1u : 0u);
            p += 2;
        }
        f.bytes[byte] = static_cast<uint8_t>(v);
    }
    const int df = f.bytes[0] >> 3;
    if (!((kDfMask >> df) & 1u)) return false;
    const bool tailZero = (f.bytes[11] | f.bytes[12] | f.bytes[13]) == 0;
    const bool isLong = df >= 16 && !tailZero;
    if (!isLong && (f.bytes[4] | f.bytes[5] | f.bytes[6]) == 0) return false;
    f.df = df;
    f.length = isLong ? 14 : 7;
    f.level = level;
    f.sampleIndex = d;
    return true;
}

namespace {

// Handles a passed preamble at k; returns the next k.
inline int candidateAt(const uint16_t* m, int k, CandidateSink& sink, RawFrame& f)
{
    const int d = k + 16;
    if (d >= kScanLimit) return d + 1;
    if (sliceCandidate(m, k, f)) sink.onCandidate(f);
    return d + 209;
}

} // namespace

void scanModeSReference(const uint16_t* m, CandidateSink& sink)
{
    RawFrame f;
    int k = 0;
    while (k < kScanLimit) {
        if (!preambleAt(m, k)) {
            ++k;
            continue;
        }
        k = candidateAt(m, k, sink, f);
    }
}

// The pre-check: a preamble passes only if m[k] and m[k+2] both exceed m[k+1] by 2, and m[k+7] and
// m[k+9] both exceed m[k+8] by 2 - necessary conditions of the full test, evaluated for 16
// positions at once. Positions that pass go through the full test in order, so results match the
// plain scan exactly.
namespace {

// 32-byte vectors never cross a non-inlined call here, so the AVX ABI note does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
typedef uint16_t V16 __attribute__((vector_size(32)));

__attribute__((always_inline)) inline V16 load16(const uint16_t* p)
{
    V16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define VARNOCK_SCAN_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VARNOCK_SCAN_CLONES
#endif

// Bit i set when position base + i passes the pre-check. Reads m[base .. base + 24].
VARNOCK_SCAN_CLONES
uint32_t precheck16(const uint16_t* m, int base)
{
    const V16 one = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const V16 m0 = load16(m + base);
    const V16 g1 = load16(m + base + 1) + one;
    const V16 m2 = load16(m + base + 2);
    const V16 m7 = load16(m + base + 7);
    const V16 g8 = load16(m + base + 8) + one;
    const V16 m9 = load16(m + base + 9);
    const V16 ok = (V16)((m0 > g1) & (m2 > g1) & (m7 > g8) & (m9 > g8));
#if defined(__SSE2__)
    // Lanes are all ones or zero: narrowed to bytes, one movemask gives the sixteen bits.
    typedef uint8_t V8 __attribute__((vector_size(16)));
    const V8 bytes = __builtin_convertvector(ok, V8);
    __m128i packed;
    std::memcpy(&packed, &bytes, sizeof packed);
    return static_cast<uint32_t>(_mm_movemask_epi8(packed));
#else
    uint16_t lanes[16];
    std::memcpy(lanes, &ok, sizeof lanes);
    uint32_t mask = 0;
    for (int i = 0; i < 16; ++i) mask |= (lanes[i] & 1u) << i;
    return mask;
#endif
}

} // namespace

void scanModeS(const uint16_t* m, CandidateSink& sink)
{
    RawFrame f;
    int k = 0;
    // Vector blocks while their loads stay inside the buffer (base + 15 + 9 < kPairsPerBuffer).
    constexpr int kVectorEnd = kPairsPerBuffer - 32;
    while (k < kScanLimit && k < kVectorEnd) {
        const int base = k;
        uint32_t mask = precheck16(m, base);
        if (!mask) {
            k = base + 16;
            continue;
        }
        // Walk the passing positions in order; a candidate moves k past the rest of the block.
        while (mask) {
            const int pos = base + __builtin_ctz(mask);
            mask &= mask - 1;
            if (pos < k) continue;
            if (pos >= kScanLimit) {
                k = kScanLimit;
                break;
            }
            if (preambleAt(m, pos)) {
                k = candidateAt(m, pos, sink, f);
                if (k >= base + 16) break;
            }
        }
        if (k < base + 16) k = base + 16;
    }
    while (k < kScanLimit) {
        if (!preambleAt(m, k)) {
            ++k;
            continue;
        }
        k = candidateAt(m, k, sink, f);
    }
}

} // namespace varnock
