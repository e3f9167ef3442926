// Mode A/C sky: a dozen seeded aircraft answering Mode A and Mode C interrogations, rendered buffer
// by buffer at 2,068,965 S/s, with the truth (squawks, altitudes, every placed reply).
#pragma once

#include "synth/modeac_transmitter.h"
#include "synth/transmitter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnock::synth {

struct ModeACScenarioParams {
    uint64_t seed = 1;
    int aircraftCount = 12;
    double noiseSigma = 2.0;        // Gaussian sigma on I and Q, 8-bit units
    double minAmplitude = 30.0;     // per-aircraft pulse magnitude range
    double maxAmplitude = 120.0;
    // Each reply starts at a uniformly drawn fraction [0, timingSpread) of a sample after its
    // sample: 1 is every arrival phase, as real replies come; 0 puts every pulse on one sample.
    double timingSpread = 1.0;
    double minRepliesPerSecond = 5.0;
    double maxRepliesPerSecond = 10.0;
};

// Parameters that cannot describe a sky are brought into range (see the .cpp): at most
// kMaxModeACAircraft aircraft, rates that keep each aircraft to its own slots, a spread in [0, 1].
inline constexpr int kMaxModeACAircraft = 64;
ModeACScenarioParams boundedModeACParams(ModeACScenarioParams p);

enum class ModeACKind : uint8_t { ModeA, ModeC };

struct ModeACAircraft {
    ModeACCode squawk;
    int altitudeFt = 0;      // a multiple of 100 ft
    ModeACCode altitudeCode; // its Gillham code
    double amplitude = 60.0;
    double repliesPerSecond = 5.0;
};

struct ModeACSkyReply : PlacedModeACReply {
    int aircraft = -1;
    ModeACKind kind = ModeACKind::ModeA;
};

// Replies never overlap: aircraft i only starts a reply in time slots s with s mod N == i, slots being
// wider than a reply plus the receiver's 45-sample hold-off. Mode A and Mode C replies alternate.
// Squawks avoid the emergency codes, single-pulse codes and every aircraft's altitude code, so
// each code received names one aircraft and one meaning.
// Not thread-safe: rendering reuses scratch storage owned by the object.
class ModeACScenario {
public:
    explicit ModeACScenario(const ModeACScenarioParams& params = ModeACScenarioParams{});

    // The parameters in use, after boundedModeACParams.
    const ModeACScenarioParams& params() const { return params_; }
    int aircraftCount() const { return int(aircraft_.size()); }
    const ModeACAircraft& aircraft(int i) const { return aircraft_[size_t(i)]; }

    // Replies whose F1 lies in [firstSample, endSample) of the continuous stream, in order of start.
    void repliesInRange(int64_t firstSample, int64_t endSample, std::vector<ModeACSkyReply>& out) const;
    // Replies starting in buffer n, with `sample` relative to that buffer's first sample.
    void repliesInBuffer(uint64_t n, std::vector<ModeACSkyReply>& out) const;
    // Buffer n of the stream: kBufferPairs I/Q pairs, 2,048,000 bytes; depends only on the parameters
    // and n. A reply that starts at the end of buffer n-1 finishes at the start of buffer n.
    void renderBuffer(uint64_t n, uint8_t* out);

private:
    void buildAircraft();

    ModeACScenarioParams params_;
    std::vector<ModeACAircraft> aircraft_;
    std::vector<double> phase_; // first nominal reply, samples
    std::vector<ModeACSkyReply> renderList_;
    SignalBuffer signal_;
};

} // namespace varnock::synth
