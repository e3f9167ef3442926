// Synthetic skies: aircraft on closed circuits, a fixed set of message streams per aircraft with
// jittered periods, a slot grid that keeps frames apart, and per-buffer rendering.
#include "synth/scenario.h"

#include "synth/rng.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varnock::synth {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kKmPerDegree = 6371.0088 * kPi / 180.0;
constexpr double kKmPerSecondPerKt = 1.852 / 3600.0;

// Without overlaps every frame starts 1..kSlotSpread samples into its own slot of kSlotSamples, so
// two starts are at least 468 samples apart. That is more than a long frame (240 samples) plus the
// 225 samples a receiver skips after any preamble it finds, even one found inside a frame's data,
// so such a find never hides the next frame. The slot length divides no buffer length, so frames
// do straddle buffer boundaries.
constexpr int64_t kSlotSamples = 499;
constexpr int64_t kSlotSpread = 32;
constexpr double kJitter = 0.4; // each period varies by +-20 %, as squitter timers do
constexpr int64_t kRenderLead = kLongFrameSamples + 8;

// Keys for hashKeys(), so that no two random choices share a stream.
enum Key : uint64_t {
    KeyAircraft = 0xA1,
    KeyTransmission,
    KeyPhase,
    KeyJitter,
    KeyPriority,
    KeySlot,
    KeyOffset,
    KeyCarrier,
    KeyLevel,
    KeyNoise,
};

struct StreamPlan {
    FrameKind kind;
    double period; // seconds
    bool airborne;
    bool ground;
};

constexpr StreamPlan kStreams[] = {
    {FrameKind::AirbornePosition, 0.5, true, false},
    {FrameKind::SurfacePosition, 0.5, false, true},
    {FrameKind::Velocity, 0.5, true, false},
    {FrameKind::Identification, 5.0, true, true},
    {FrameKind::Status, 6.0, true, true},
    {FrameKind::AllCall, 1.0, true, true},
    {FrameKind::ShortAirAir, 2.5, true, false},
    {FrameKind::LongAirAir, 6.0, true, false},
    {FrameKind::AltitudeReply, 2.0, true, true},
    {FrameKind::IdentityReply, 3.0, true, true},
    {FrameKind::CommBAltitude, 2.0, true, true},
    {FrameKind::CommBIdentity, 3.0, true, true},
};
constexpr int kStreamCount = int(sizeof(kStreams) / sizeof(kStreams[0]));

constexpr int kAirRegisters[] = {0x20, 0x40, 0x50, 0x60};
constexpr int kGroundRegisters[] = {0x20, 0x40};

constexpr const char* kAirlines[] = {"KLM", "TRA", "EZY", "DLH", "BAW", "AFR", "RYR", "SAS",
                                     "IBE", "AUA", "SWR", "KLC", "WZZ", "CFG", "TAP", "EIN"};
constexpr uint32_t kCountryBlocks[] = {0x48, 0x3C, 0x40, 0x39, 0x4B, 0x44, 0x34, 0x50, 0x4C, 0x45};

// Every random choice about one stream, and about its k-th transmission, derives from these.
uint64_t streamKey(uint64_t seed, int aircraft, int stream)
{
    return hashKeys(seed, KeyTransmission, uint64_t(aircraft), uint64_t(stream));
}

uint64_t transmissionKey(uint64_t seed, int aircraft, int stream, int64_t k)
{
    return hashKeys(streamKey(seed, aircraft, stream), uint64_t(k));
}

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

double wrap360(double deg)
{
    deg = std::fmod(deg, 360.0);
    return deg < 0.0 ? deg + 360.0 : deg;
}

// ISA: speed of sound (kt) and the square root of the density ratio at a pressure altitude.
void standardAtmosphere(double altFt, double& soundKt, double& sqrtSigma)
{
    const double tropopause = 36089.0;
    const double h = std::max(0.0, altFt);
    const double temp = 288.15 - 0.0019812 * std::min(h, tropopause);
    soundKt = 38.967854 * std::sqrt(temp);
    double sigma = std::pow(temp / 288.15, 4.2559);
    if (h > tropopause) sigma *= std::exp(-(h - tropopause) / 20806.0);
    sqrtSigma = std::sqrt(sigma);
}

bool parityFieldZero(const ModeSFrame& f)
{
    const uint8_t* p = f.bytes + f.length - 3;
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

} // namespace

ScenarioParams demoSkyParams(uint64_t seed)
{
    ScenarioParams p;
    p.seed = seed;
    return p;
}

ScenarioParams busySkyParams(uint64_t seed)
{
    ScenarioParams p;
    p.seed = seed;
    p.aircraftCount = 100;
    p.groundCount = 8;
    p.allowOverlap = true;
    p.minAmplitude = 8.0;
    p.maxAmplitude = 160.0;
    p.maxTimingOffset = 0.5;
    p.maxRangeKm = 250.0;
    return p;
}

Scenario::Scenario(const ScenarioParams& params) : params_(params), signal_(kBufferPairs, kModeSSampleRate)
{
    params_.aircraftCount = std::max(0, params_.aircraftCount);
    params_.groundCount = std::clamp(params_.groundCount, 0, params_.aircraftCount);
    buildAircraft();
    scratch_.reserve(size_t(64 + params_.aircraftCount * 64));
    renderList_.reserve(size_t(64 + params_.aircraftCount * 64));
}

void Scenario::buildAircraft()
{
    aircraft_.resize(size_t(params_.aircraftCount));
    for (int i = 0; i < params_.aircraftCount; ++i) {
        Aircraft& ac = aircraft_[size_t(i)];
        Xoshiro256 rng(hashKeys(params_.seed, KeyAircraft, uint64_t(i), ~0ull));
        AircraftInfo& info = ac.info;
        Motion& m = ac.motion;

        for (;;) {
            const uint32_t block = kCountryBlocks[rng.next() % std::size(kCountryBlocks)];
            info.address = (block << 16) | uint32_t(rng.next() & 0xFFFF);
            bool clash = false;
            for (int j = 0; j < i; ++j) clash = clash || aircraft_[size_t(j)].info.address == info.address;
            if (!clash) break;
        }
        info.callsign = std::string(kAirlines[rng.next() % std::size(kAirlines)]) +
                        std::to_string(1 + rng.next() % 2999);
        for (;;) {
            info.squawk.clear();
            for (int d = 0; d < 4; ++d) info.squawk += char('0' + rng.next() % 8);
            if (info.squawk != "7500" && info.squawk != "7600" && info.squawk != "7700" && info.squawk != "0000")
                break;
        }
        info.typeCode = 4;
        info.onGround = i < params_.groundCount;
        ac.amplitude = params_.minAmplitude * std::pow(params_.maxAmplitude / params_.minAmplitude, rng.uniform());
        m.angle0 = rng.uniform(0.0, 2.0 * kPi);
        m.direction = rng.uniform() < 0.5 ? -1.0 : 1.0;
        m.qnh = std::round(rng.uniform(995.0, 1030.0));

        double centreKm;
        if (info.onGround) {
            info.category = 3;
            m.radiusKm = rng.uniform(0.25, 0.6);
            centreKm = rng.uniform(0.8, 3.0);
            m.speedKt = rng.uniform(6.0, 22.0);
        } else {
            const int airborneIndex = i - params_.groundCount;
            const double kindRoll = rng.uniform();
            const bool light = airborneIndex > 1 && kindRoll < 0.15;
            info.category = light ? 1 : (kindRoll < 0.3 ? 5 : 3);
            m.radiusKm = rng.uniform(20.0, 80.0);
            centreKm = rng.uniform(0.0, std::max(0.0, params_.maxRangeKm - m.radiusKm - 5.0));
            // The first airborne aircraft cruises level in the flight levels, the second climbs and
            // descends; the rest are drawn.
            const bool cycling = airborneIndex == 1 || (airborneIndex > 1 && !light && rng.uniform() < 0.45);
            if (light) {
                m.lowFt = m.highFt = 500.0 * std::round(rng.uniform(2000.0, 5500.0) / 500.0);
            } else if (cycling) {
                m.lowFt = 100.0 * std::round(rng.uniform(2000.0, 12000.0) / 100.0);
                m.highFt = 1000.0 * std::round(rng.uniform(20000.0, 39000.0) / 1000.0);
                m.rateFpm = 64.0 * std::round(rng.uniform(1200.0, 2800.0) / 64.0);
                m.dwellS = rng.uniform(60.0, 300.0);
                m.cycleOffsetS = rng.uniform(0.0, 4000.0);
            } else {
                m.lowFt = m.highFt = 1000.0 * std::round(rng.uniform(airborneIndex == 0 ? 33.0 : 10.0, 41.0));
            }
            // Jets fly their top level at a cruise Mach number; below FL240 at ordinary speeds.
            if (light) {
                m.speedKt = rng.uniform(110.0, 160.0);
            } else if (m.highFt >= 24000.0) {
                double sound, sqrtSigma;
                standardAtmosphere(m.highFt, sound, sqrtSigma);
                m.speedKt = rng.uniform(0.72, 0.82) * sound;
            } else {
                m.speedKt = rng.uniform(250.0, 330.0);
            }
        }
        const double bearing = rng.uniform(0.0, 2.0 * kPi);
        m.centreX = centreKm * std::cos(bearing);
        m.centreY = centreKm * std::sin(bearing);
    }
}

int Scenario::findAircraft(uint32_t address) const
{
    for (size_t i = 0; i < aircraft_.size(); ++i)
        if (aircraft_[i].info.address == address) return int(i);
    return -1;
}

AircraftState Scenario::stateAt(int i, double t) const
{
    const Aircraft& ac = aircraft_[size_t(i)];
    const Motion& m = ac.motion;
    AircraftState s;

    const double speed = m.speedKt * kKmPerSecondPerKt;
    const double omega = speed / m.radiusKm; // rad/s
    const double theta = m.angle0 + m.direction * omega * t;
    const double x = m.centreX + m.radiusKm * std::cos(theta);
    const double y = m.centreY + m.radiusKm * std::sin(theta);
    s.lat = kHomeLat + y / kKmPerDegree;
    s.lon = kHomeLon + x / (kKmPerDegree * std::cos(kHomeLat * kPi / 180.0));
    const double vx = -m.direction * std::sin(theta);
    const double vy = m.direction * std::cos(theta);
    s.trackDeg = wrap360(std::atan2(vx, vy) * 180.0 / kPi);
    s.groundSpeedKt = m.speedKt;
    s.trackRateDps = -m.direction * omega * 180.0 / kPi;

    if (ac.info.onGround) return s;

    if (m.rateFpm <= 0.0 || m.highFt <= m.lowFt) {
        s.altitudeFt = m.lowFt;
        s.selectedAltitudeFt = m.lowFt;
        return s;
    }
    const double climbS = (m.highFt - m.lowFt) / m.rateFpm * 60.0;
    const double cycle = 2.0 * (m.dwellS + climbS);
    double tau = std::fmod(t + m.cycleOffsetS, cycle);
    if (tau < 0.0) tau += cycle;
    if (tau < m.dwellS) {
        s.altitudeFt = m.lowFt;
        s.selectedAltitudeFt = m.lowFt;
    } else if (tau < m.dwellS + climbS) {
        s.altitudeFt = m.lowFt + m.rateFpm * (tau - m.dwellS) / 60.0;
        s.verticalRateFpm = m.rateFpm;
        s.selectedAltitudeFt = m.highFt;
    } else if (tau < 2.0 * m.dwellS + climbS) {
        s.altitudeFt = m.highFt;
        s.selectedAltitudeFt = m.highFt;
    } else {
        s.altitudeFt = m.highFt - m.rateFpm * (tau - 2.0 * m.dwellS - climbS) / 60.0;
        s.verticalRateFpm = -m.rateFpm;
        s.selectedAltitudeFt = m.lowFt;
    }
    return s;
}

bool Scenario::buildFrame(const Candidate& c, int64_t sample, SkyFrame& out) const
{
    const Aircraft& ac = aircraft_[size_t(c.aircraft)];
    const AircraftInfo& info = ac.info;
    const StreamPlan& plan = kStreams[c.stream];
    const uint64_t key = transmissionKey(params_.seed, c.aircraft, c.stream, c.k);

    out.sample = sample;
    out.offset = (2.0 * unitFromHash(hashKeys(key, KeyOffset)) - 1.0) * params_.maxTimingOffset;
    out.phase = 2.0 * kPi * unitFromHash(hashKeys(key, KeyCarrier));
    out.amplitude = std::clamp(ac.amplitude * (0.95 + 0.1 * unitFromHash(hashKeys(key, KeyLevel))),
                               params_.minAmplitude, params_.maxAmplitude);
    out.aircraft = c.aircraft;
    out.kind = plan.kind;
    out.commBRegister = 0;

    const double t = (double(sample) + out.offset) / kModeSSampleRate;
    const AircraftState s = stateAt(c.aircraft, t);
    const uint32_t addr = info.address;
    const bool ground = info.onGround;
    const int ca = ground ? 4 : 5;
    const int fs = ground ? 1 : 0;
    const bool odd = (c.k & 1) != 0;
    const char* squawk = info.squawk.c_str();

    switch (plan.kind) {
    case FrameKind::AirbornePosition:
        out.frame = esAirbornePosition(addr, s.altitudeFt, s.lat, s.lon, odd, 11, ca);
        break;
    case FrameKind::SurfacePosition:
        out.frame = esSurfacePosition(addr, s.groundSpeedKt, s.trackDeg, s.lat, s.lon, odd, 6, ca);
        break;
    case FrameKind::Velocity:
        out.frame = esAirborneVelocity(addr, s.groundSpeedKt, s.trackDeg, s.verticalRateFpm, ca);
        break;
    case FrameKind::Identification:
        out.frame = esIdentification(addr, info.callsign.c_str(), info.typeCode, info.category, ca);
        break;
    case FrameKind::Status:
        out.frame = esStatusSquawk(addr, squawk, 0, ca);
        break;
    case FrameKind::AllCall:
        out.frame = allCallReply(addr, ca);
        break;
    case FrameKind::ShortAirAir:
        out.frame = shortAirAir(addr, s.altitudeFt, ground);
        break;
    case FrameKind::LongAirAir:
        out.frame = longAirAir(addr, s.altitudeFt, ground);
        break;
    case FrameKind::AltitudeReply:
        out.frame = altitudeReply(addr, s.altitudeFt, fs);
        break;
    case FrameKind::IdentityReply:
        out.frame = identityReply(addr, squawk, fs);
        break;
    case FrameKind::CommBAltitude:
    case FrameKind::CommBIdentity: {
        // The two formats rotate through the registers out of step with each other.
        const int64_t turn = c.k + (plan.kind == FrameKind::CommBIdentity ? 2 : 0);
        const int reg = ground ? kGroundRegisters[turn % 2] : kAirRegisters[turn % 4];
        CommB mb;
        if (reg == 0x20) {
            mb = mbIdentification(info.callsign.c_str());
        } else if (reg == 0x40) {
            const double baro = s.altitudeFt > 6000.0 ? 1013.2 : ac.motion.qnh;
            const double selected = ground ? 3000.0 : s.selectedAltitudeFt;
            mb = mbVerticalIntention(selected, selected, baro);
        } else if (reg == 0x50) {
            const double omega = s.trackRateDps * kPi / 180.0;
            const double roll = std::atan(s.groundSpeedKt * 0.514444 * omega / 9.80665) * 180.0 / kPi;
            mb = mbTrackAndTurn(roll, s.trackDeg, velocityGroundSpeed(s.groundSpeedKt, s.trackDeg),
                                s.trackRateDps, s.groundSpeedKt);
        } else {
            double sound, sqrtSigma;
            standardAtmosphere(s.altitudeFt, sound, sqrtSigma);
            // Kept inside the range a receiver believes for this register.
            const double ias = std::clamp(s.groundSpeedKt * sqrtSigma, 120.0, 375.0);
            const double mach = std::clamp(s.groundSpeedKt / sound, 0.22, 0.86);
            mb = mbHeadingAndSpeed(s.trackDeg, ias, mach, s.verticalRateFpm, s.verticalRateFpm);
        }
        out.frame = plan.kind == FrameKind::CommBAltitude ? commBAltitudeReply(addr, s.altitudeFt, mb, fs)
                                                          : commBIdentityReply(addr, squawk, mb, fs);
        out.commBRegister = reg;
        break;
    }
    }
    // A frame whose parity field is zero would be taken for a shorter one (or none) by a receiver.
    return !parityFieldZero(out.frame);
}

void Scenario::framesInRange(int64_t firstSample, int64_t endSample, std::vector<SkyFrame>& out)
{
    out.clear();
    scratch_.clear();
    if (endSample <= firstSample) return;

    // Window of nominal start samples whose frames can land in [firstSample, endSample).
    double x0, x1;
    if (params_.allowOverlap) {
        x0 = double(firstSample) - 1.0;
        x1 = double(endSample) + 1.0;
    } else {
        x0 = double(floorDiv(firstSample - kSlotSpread, kSlotSamples) * kSlotSamples);
        x1 = double((floorDiv(endSample - 1, kSlotSamples) + 1) * kSlotSamples);
    }
    const double t0 = x0 / kModeSSampleRate;
    const double t1 = x1 / kModeSSampleRate;

    for (int a = 0; a < aircraftCount(); ++a) {
        const bool ground = aircraft_[size_t(a)].info.onGround;
        for (int st = 0; st < kStreamCount; ++st) {
            const StreamPlan& plan = kStreams[st];
            if (ground ? !plan.ground : !plan.airborne) continue;
            const double p = plan.period;
            const double phase = p * unitFromHash(hashKeys(streamKey(params_.seed, a, st), KeyPhase, ~0ull));
            const int64_t kLo = std::max<int64_t>(0, int64_t(std::floor((t0 - phase) / p - kJitter)) - 1);
            const int64_t kHi = int64_t(std::ceil((t1 - phase) / p + kJitter)) + 1;
            for (int64_t k = kLo; k <= kHi; ++k) {
                const uint64_t key = transmissionKey(params_.seed, a, st, k);
                const double t = phase + p * (double(k) + kJitter * (unitFromHash(hashKeys(key, KeyJitter)) - 0.5));
                if (t < 0.0) continue;
                const double x = t * kModeSSampleRate;
                if (x < x0 || x >= x1) continue;
                scratch_.push_back({a, st, k, x, hashKeys(key, KeyPriority)});
            }
        }
    }

    if (!params_.allowOverlap) {
        // One frame per slot: where two fall into the same slot the lower priority value transmits.
        auto slotOf = [](const Candidate& c) { return int64_t(std::floor(c.x)) / kSlotSamples; };
        std::sort(scratch_.begin(), scratch_.end(), [&](const Candidate& l, const Candidate& r) {
            const int64_t sl = slotOf(l), sr = slotOf(r);
            return sl != sr ? sl < sr : l.priority < r.priority;
        });
        int64_t lastSlot = INT64_MIN;
        for (const Candidate& c : scratch_) {
            const int64_t slot = slotOf(c);
            if (slot == lastSlot) continue;
            lastSlot = slot;
            const uint64_t key = transmissionKey(params_.seed, c.aircraft, c.stream, c.k);
            const int64_t sample =
                slot * kSlotSamples + 1 + int64_t(unitFromHash(hashKeys(key, KeySlot)) * double(kSlotSpread));
            if (sample < firstSample || sample >= endSample) continue;
            SkyFrame f;
            if (buildFrame(c, sample, f)) out.push_back(f);
        }
    } else {
        for (const Candidate& c : scratch_) {
            const int64_t sample = std::llround(c.x);
            if (sample < firstSample || sample >= endSample) continue;
            SkyFrame f;
            if (buildFrame(c, sample, f)) out.push_back(f);
        }
        std::sort(out.begin(), out.end(), [](const SkyFrame& l, const SkyFrame& r) {
            return l.sample != r.sample ? l.sample < r.sample : l.aircraft < r.aircraft;
        });
    }
}

void Scenario::framesInBuffer(uint64_t n, std::vector<SkyFrame>& out)
{
    const int64_t start = int64_t(n) * int64_t(kBufferPairs);
    framesInRange(start, start + int64_t(kBufferPairs), out);
    for (SkyFrame& f : out) f.sample -= start;
}

void Scenario::renderBuffer(uint64_t n, uint8_t* out)
{
    const int64_t start = int64_t(n) * int64_t(kBufferPairs);
    framesInRange(start - kRenderLead, start + int64_t(kBufferPairs), renderList_);
    signal_.clear();
    for (const SkyFrame& f : renderList_) {
        PlacedFrame local = f;
        local.sample -= start;
        addFrame(signal_, local);
    }
    signal_.addNoise(params_.noiseSigma, hashKeys(params_.seed, KeyNoise, n, ~0ull));
    signal_.quantise(out);
    if (!params_.allowOverlap) clearLeadIns(n, out);
}

namespace {

// The receiver's preamble test at k: every pulse sample beats every gap sample by 2 or more.
bool preambleAt(const uint8_t* iq, int64_t k)
{
    static constexpr bool pulse[16] = {1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    int hiMin = 255, loMax = 0;
    for (int i = 0; i < 16; ++i) {
        const int m = std::min(magnitudeAt(iq, size_t(k + i)), 181);
        if (pulse[i])
            hiMin = std::min(hiMin, m);
        else
            loMax = std::max(loMax, m);
        if (hiMin - loMax < 2) return false;
    }
    return true;
}

} // namespace

void Scenario::clearLeadIns(uint64_t n, uint8_t* out)
{
    // After a preamble the receiver skips 225 samples. Noise that happens to pass its preamble test
    // just before a frame would hide the frame, so such noise is drawn again, keeping the promise
    // that every frame of a sky without overlaps can be received.
    const int64_t start = int64_t(n) * int64_t(kBufferPairs);
    const int64_t pairs = int64_t(kBufferPairs);
    int64_t quietFrom = 0; // first sample after the previous frame's pulses
    for (const SkyFrame& f : renderList_) {
        const int64_t s = f.sample - start;
        const int64_t frameEnd = s + 16 + 2 * 8 * f.frame.length + 2;
        if (s >= 0 && s < pairs) {
            const int64_t first = std::max<int64_t>(0, s - 225);
            for (int attempt = 0; attempt < 32; ++attempt) {
                int64_t k = first;
                while (k < s && (k + 16 > pairs || !preambleAt(out, k))) ++k;
                if (k >= s) break;
                const int64_t lo = std::max(k, quietFrom);
                const int64_t hi = std::min(k + 16, s);
                if (lo >= hi) break; // made of frame pulses alone: nothing to redraw
                Xoshiro256 rng(hashKeys(params_.seed, KeyNoise, n, uint64_t(s) * 64 + uint64_t(attempt)));
                for (int64_t p = lo; p < hi; ++p) {
                    for (int c = 0; c < 2; ++c) {
                        const double v = std::floor(params_.noiseSigma * rng.gaussian() + 128.0);
                        out[2 * p + c] = uint8_t(std::clamp(v, 0.0, 255.0));
                    }
                }
            }
        }
        quietFrom = std::max(quietFrom, frameEnd);
    }
}

} // namespace varnock::synth
