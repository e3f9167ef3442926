// Mode A/C scan: bracket detection (classic or `newp`), code pulses, noise-code filter, Gillham altitude.
#include "demod/modeac_scan.h"

#include <cmath>

#include "demod/magnitude.h"

namespace varnock {

using namespace modeac;

static_assert(kScanEnd - 1 + kF2 == kPairsPerBuffer - 1, "the last F1 examined has its F2 in the last sample");

namespace {

// Round num / den to the nearest integer, halves to even (num >= 0, den > 0).
int divRoundHalfEven(int num, int den)
{
    const int q = num / den;
    const int r2 = 2 * (num % den);
    if (r2 > den || (r2 == den && (q & 1))) return q + 1;
    return q;
}

// Empty replies and single-pulse codes are what noise and fruit mostly produce. A1 and A2 alone
// (1000, 2000) are real squawk shapes and stay.
bool isNoiseCode(int codeNumber)
{
    switch (codeNumber) {
    case 0: case 4000: case 400: case 200: case 100: case 40: case 20: case 10: case 4: case 2: case 1:
        return true;
    default:
        return false;
    }
}

// Fails at the first gap sample (offsets 1, 2, 4, 5, ..., 40, 41) that is not below `limit`.
bool gapsBelow(const uint16_t* m, int k, int limit)
{
    for (int p = k + 1; p < k + kF2; p += 3) {
        if (m[p] >= limit || m[p + 1] >= limit) return false;
    }
    return true;
}

uint16_t largestGap(const uint16_t* m, int k)
{
    uint16_t top = 0;
    for (int p = k + 1; p < k + kF2; p += 3) {
        if (m[p] > top) top = m[p];
        if (m[p + 1] > top) top = m[p + 1];
    }
    return top;
}

} // namespace

ModeACScan::ModeACScan(TickCounters& counters, const CommandLineOptions& options, ModeACCodeCounts& counts,
                       ModeACOutput* output)
    : counters_(counters), options_(options), counts_(counts), output_(output)
{
}

void ModeACScan::scan(const uint16_t* m, int noise)
{
    // noise * 1.44 = noise * 36 / 25: never a tie, so plain rounding is also half-to-even.
    t_ = static_cast<uint16_t>(divRoundHalfEven(36 * (noise < 0 ? 0 : noise), 25));
    counters_.noiseSum = static_cast<uint16_t>(counters_.noiseSum + t_);
    counters_.noiseCount = static_cast<uint16_t>(counters_.noiseCount + 1);

    const bool alternative = options_.newp;
    int k = 0;
    while (k < kScanEnd) {
        const int entry = k;
        const bool found = alternative ? detectAlternative(m, k) : detectClassic(m, k);
        if (!found) {
            // Resume at the next position even after a peak move: the alternative detector judges
            // the moved F1 by a threshold taken one sample early, from the quiet sample before a
            // clean reply, so skipping past the peak would lose nearly every reply. (The classic
            // detector cannot pass at the skipped position, so nothing changes for it.)
            k = entry + 1;
            continue;
        }
        decode(m, k);
        k += kSkipAfterReply;
    }
}

bool ModeACScan::detectClassic(const uint16_t* m, int& k) const
{
    const int t = t_;
    if (!(m[k] > t && m[k + kX] < t && m[k + kF2] > t && m[k + kF2 - 1] < m[k + kF2])) return false;
    if (m[k] < m[k + 1]) {
        ++k;
        // The last start position would put F2 one past the buffer.
        if (k >= kScanEnd) return false;
    }
    return gapsBelow(m, k, t);
}

bool ModeACScan::detectAlternative(const uint16_t* m, int& k)
{
    const int t3 = (m[k] + m[k + kF2]) / 3;
    if (m[k] < m[k + 1]) {
        ++k;
        if (k >= kScanEnd) return false;
    }
    // F1 must stand out too: without it, the 42 quiet samples before any reply pass as a reply of
    // no pulses whose F2 is the real F1, and the hold-off after it would swallow the real one.
    if (m[k] <= t3) return false;
    if (!gapsBelow(m, k, t3)) return false;
    if (!(m[k + kF2] > m[k + kF2 - 1] && m[k + kF2] > m[k + kF2 - 2])) return false;
    t_ = largestGap(m, k);
    return true;
}

void ModeACScan::decode(const uint16_t* m, int k)
{
    int level = (m[k] + m[k + kF2]) / 2;
    int lo;
    if (options_.newp) lo = (level + t_) / 2;
    else if (m[k] < 50) lo = divRoundHalfEven(level, 2);
    else if (m[k] < 100) lo = divRoundHalfEven(level, 4);
    else lo = divRoundHalfEven(level, 10);
    constexpr int hi = 255;
    if (level == 26) level = 27; // 26 is the escape byte of the binary raw line

    auto bit = [&](int offset) { return (lo < m[k + offset] && m[k + offset] < hi) ? 1 : 0; };
    const int a = 4 * bit(kA4) + 2 * bit(kA2) + bit(kA1);
    const int b = 4 * bit(kB4) + 2 * bit(kB2) + bit(kB1);
    const int c = 4 * bit(kC4) + 2 * bit(kC2) + bit(kC1);
    const int d = 4 * bit(kD4) + 2 * bit(kD2) + bit(kD1);
    const int codeNumber = 1000 * a + 100 * b + 10 * c + d;

    if (isNoiseCode(codeNumber)) return;
    // A code is believed from its second reception on.
    if (++counts_.count[codeNumber] <= 1) return;

    ModeACReply r;
    r.a = a;
    r.b = b;
    r.c = c;
    r.d = d;
    r.code[0] = static_cast<char>('0' + a);
    r.code[1] = static_cast<char>('0' + b);
    r.code[2] = static_cast<char>('0' + c);
    r.code[3] = static_cast<char>('0' + d);
    r.code[4] = '\0';
    r.level = level;

    bool valid = false;
    const int altitude = modeCAltitude(a, b, c, d, valid);
    r.altitudeValid = valid;
    r.flightLevel = valid ? modeCFlightLevel(altitude) : 0;

    stampOf(counters_, k, r.stamp);
    int64_t stamp = 0;
    for (int i = 0; i < 6; ++i) stamp = (stamp << 8) | r.stamp[i];
    // A sample lasts 1.45 / 3 us at this rate.
    r.timeUs = static_cast<int64_t>(std::nearbyint(static_cast<double>(stamp) * 0.48333333));
    r.deltaUs = r.timeUs - counters_.previousTimeUs;
    counters_.previousTimeUs = r.timeUs;
    if (r.deltaUs > 99999) r.deltaUs = 99999;

    if (output_) output_->emitModeACReply(r);
    counters_.packetCounter += 1;
}

} // namespace varnock
