// Mode-S scan: the plain reference, and the fast scan that walks a vector-built map of preambles.
#include "demod/modes_scan.h"

#include "demod/magnitude.h"
#include "demod/preamble_map.h"

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

namespace {

template <class T>
bool sliceAt(const T* m, int k, RawFrame& f)
{
    int level = (m[k] + m[k + 2] + m[k + 7] + m[k + 9]) / 4;
    if (level == 26) level = 27; // 26 is the escape byte of the binary output
    const int d = k + 16;
    const T* p = m + d;
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

} // namespace

bool sliceCandidate(const uint16_t* m, int k, RawFrame& f) { return sliceAt(m, k, f); }
bool sliceCandidate(const uint8_t* m, int k, RawFrame& f) { return sliceAt(m, k, f); }

namespace {

// Handles a passed preamble at k; returns the next k.
template <class T>
inline int candidateAt(const T* m, int k, CandidateSink& sink, RawFrame& f)
{
    const int d = k + 16;
    if (d >= kScanLimit) return d + 1;
    if (sliceAt(m, k, f)) sink.onCandidate(f);
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

void scanModeS(const uint8_t* m, CandidateSink& sink)
{
    constexpr int kChunkWords = 64;
    // The words cover positions up to the next multiple of 64 past the limit: the last one reads
    // m[1,023,822], inside the buffer.
    constexpr int kWords = (kScanLimit + 63) / 64;
    static_assert(64 * kWords + 14 < kPairsPerBuffer);
    uint64_t words[kChunkWords];
    RawFrame f;
    int k = 0;
    for (int first = 0; first < kWords && k < kScanLimit; first += kChunkWords) {
        const int count = kWords - first < kChunkWords ? kWords - first : kChunkWords;
        const int chunkBase = 64 * first;
        if (k >= chunkBase + 64 * count) continue; // a frame covers the whole chunk
        preambleWords(m, chunkBase, count, words);
        for (int w = 0; w < count && k < kScanLimit; ++w) {
            const int base = chunkBase + 64 * w;
            uint64_t bits = words[w];
            while (bits) {
                if (k > base) {
                    if (k - base >= 64) break;
                    bits &= ~uint64_t{0} << (k - base); // positions inside the last frame
                    if (!bits) break;
                }
                const int pos = base + __builtin_ctzll(bits);
                if (pos >= kScanLimit) {
                    k = kScanLimit;
                    break;
                }
                k = candidateAt(m, pos, sink, f);
            }
        }
    }
}

} // namespace varnock
