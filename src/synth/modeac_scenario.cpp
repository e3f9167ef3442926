// Mode A/C sky: stateless reply schedule from hashed keys, slot interleaving, per-buffer rendering.
#include "synth/modeac_scenario.h"

#include "synth/rng.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace varnock::synth {

namespace {

// 128 samples hold a reply (43 samples, 44 with its sub-sample offset) started up to kSlotSpread
// samples in, and the receiver's hold-off of 45 samples after its F1 ends before the next slot's
// earliest F1.
constexpr int64_t kSlotSamples = 128;
constexpr int64_t kSlotLead = 4;
constexpr int64_t kSlotSpread = 60;
constexpr double kJitter = 0.2; // each interval varies by +-20 % of the period

enum Key : uint64_t {
    KeyAircraft = 0xAC1,
    KeyPhase,
    KeyJitter,
    KeyStart,
    KeyOffset,
    KeyCarrier,
    KeyNoise,
};

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t floorMod(int64_t a, int64_t b) { return a - b * floorDiv(a, b); }

int pulseCount(const ModeACCode& code)
{
    return std::popcount(unsigned(modeACPulseMask(code))) - 2; // without F1 and F2
}

// x within [lo, hi]; NaN becomes `otherwise`.
double bounded(double x, double lo, double hi, double otherwise)
{
    if (std::isnan(x)) return otherwise;
    return std::clamp(x, lo, hi);
}

} // namespace

ModeACScenarioParams boundedModeACParams(ModeACScenarioParams p)
{
    const ModeACScenarioParams d;
    // Altitudes and squawks are drawn distinct, so a sky far larger than their choice would never
    // finish building.
    p.aircraftCount = std::clamp(p.aircraftCount, 0, kMaxModeACAircraft);
    p.noiseSigma = bounded(p.noiseSigma, 0.0, 100.0, d.noiseSigma);
    p.minAmplitude = bounded(p.minAmplitude, 0.0, 1000.0, d.minAmplitude);
    p.maxAmplitude = bounded(p.maxAmplitude, p.minAmplitude, 1000.0, p.minAmplitude);
    p.timingSpread = bounded(p.timingSpread, 0.0, 1.0, d.timingSpread);
    // A rate of 0 would place no reply in an endless search; a high one would put two replies of
    // one aircraft into one slot. Two slot cycles per period keep its replies in slots of their own.
    const double fastest = kModeACSampleRate / double(2 * kSlotSamples * std::max(1, p.aircraftCount));
    p.minRepliesPerSecond = bounded(p.minRepliesPerSecond, 0.1, fastest, d.minRepliesPerSecond);
    p.maxRepliesPerSecond = bounded(p.maxRepliesPerSecond, p.minRepliesPerSecond, fastest, p.minRepliesPerSecond);
    return p;
}

ModeACScenario::ModeACScenario(const ModeACScenarioParams& params)
    : params_(boundedModeACParams(params)), signal_(kBufferPairs, kModeACSampleRate)
{
    buildAircraft();
}

void ModeACScenario::buildAircraft()
{
    const int n = std::max(0, params_.aircraftCount);
    aircraft_.assign(size_t(n), ModeACAircraft{});
    phase_.assign(size_t(n), 0.0);
    Xoshiro256 rng(hashKeys(params_.seed, KeyAircraft));

    // Distinct altitudes first, so that squawks can keep clear of their codes.
    for (int i = 0; i < n; ++i) {
        ModeACAircraft& a = aircraft_[size_t(i)];
        for (;;) {
            a.altitudeFt = 100 * (10 + int(rng.uniform() * 390.0)); // 1,000 .. 39,900 ft
            bool taken = false;
            for (int j = 0; j < i; ++j) taken |= aircraft_[size_t(j)].altitudeFt == a.altitudeFt;
            if (!taken) break;
        }
        modeCCodeOf(a.altitudeFt, a.altitudeCode);
    }
    for (int i = 0; i < n; ++i) {
        ModeACAircraft& a = aircraft_[size_t(i)];
        for (;;) {
            const uint64_t r = rng.next();
            a.squawk = {int(r & 7), int((r >> 3) & 7), int((r >> 6) & 7), int((r >> 9) & 7)};
            const int number = a.squawk.number();
            bool clash = pulseCount(a.squawk) < 2 || number == 7500 || number == 7600 || number == 7700;
            for (int j = 0; j < n; ++j) clash |= aircraft_[size_t(j)].altitudeCode == a.squawk;
            for (int j = 0; j < i; ++j) clash |= aircraft_[size_t(j)].squawk == a.squawk;
            if (!clash) break;
        }
        a.amplitude = rng.uniform(params_.minAmplitude, params_.maxAmplitude);
        a.repliesPerSecond = rng.uniform(params_.minRepliesPerSecond, params_.maxRepliesPerSecond);
        phase_[size_t(i)] = unitFromHash(hashKeys(params_.seed, KeyPhase, uint64_t(i))) *
                            (kModeACSampleRate / a.repliesPerSecond);
    }
}

void ModeACScenario::repliesInRange(int64_t firstSample, int64_t endSample, std::vector<ModeACSkyReply>& out) const
{
    out.clear();
    const int n = aircraftCount();
    if (n == 0 || endSample <= firstSample) return;
    const int64_t cycle = kSlotSamples * n;
    for (int i = 0; i < n; ++i) {
        const ModeACAircraft& a = aircraft_[size_t(i)];
        const double period = kModeACSampleRate / a.repliesPerSecond;
        const double reach = kJitter * period + double(cycle + kSlotSamples);
        const int64_t j0 = int64_t(std::floor((double(firstSample) - phase_[size_t(i)] - reach) / period));
        const int64_t j1 = int64_t(std::ceil((double(endSample) - phase_[size_t(i)] + reach) / period));
        for (int64_t j = j0; j <= j1; ++j) {
            const uint64_t key = uint64_t(j);
            const double jitter = (unitFromHash(hashKeys(params_.seed, KeyJitter, uint64_t(i), key)) - 0.5) *
                                  2.0 * kJitter * period;
            const int64_t nominal = int64_t(std::floor(phase_[size_t(i)] + double(j) * period + jitter));
            // The first slot of this aircraft at or after the nominal time.
            int64_t slot = floorDiv(nominal + kSlotSamples - 1, kSlotSamples);
            slot += floorMod(int64_t(i) - slot, int64_t(n));
            const uint64_t h = hashKeys(params_.seed, KeyStart, uint64_t(i), key);
            const int64_t start = slot * kSlotSamples + kSlotLead + int64_t(h % uint64_t(kSlotSpread + 1));
            if (start < firstSample || start >= endSample) continue;

            ModeACSkyReply r;
            r.aircraft = i;
            r.kind = (j & 1) ? ModeACKind::ModeC : ModeACKind::ModeA;
            r.code = r.kind == ModeACKind::ModeA ? a.squawk : a.altitudeCode;
            r.sample = start;
            r.offset = unitFromHash(hashKeys(params_.seed, KeyOffset, uint64_t(i), key)) * params_.timingSpread;
            r.amplitude = a.amplitude;
            r.phase = 2.0 * std::numbers::pi * unitFromHash(hashKeys(params_.seed, KeyCarrier, uint64_t(i), key));
            out.push_back(r);
        }
    }
    std::sort(out.begin(), out.end(), [](const ModeACSkyReply& x, const ModeACSkyReply& y) {
        return x.sample < y.sample;
    });
}

void ModeACScenario::repliesInBuffer(uint64_t n, std::vector<ModeACSkyReply>& out) const
{
    const int64_t base = int64_t(n) * int64_t(kBufferPairs);
    repliesInRange(base, base + int64_t(kBufferPairs), out);
    for (ModeACSkyReply& r : out) r.sample -= base;
}

void ModeACScenario::renderBuffer(uint64_t n, uint8_t* out)
{
    const int64_t base = int64_t(n) * int64_t(kBufferPairs);
    repliesInRange(base - kModeACReplySamples, base + int64_t(kBufferPairs), renderList_);
    signal_.clear();
    for (ModeACSkyReply& r : renderList_) {
        r.sample -= base;
        addModeAC(signal_, r);
    }
    signal_.addNoise(params_.noiseSigma, hashKeys(params_.seed, KeyNoise, n));
    signal_.quantise(out);
}

} // namespace varnock::synth
