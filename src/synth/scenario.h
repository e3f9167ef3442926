// Synthetic skies: seeded aircraft moving around a home position, their squitters and replies, rendered
// buffer by buffer as 8-bit I/Q, with the truth available for checks.
#pragma once

#include "synth/placed_frame.h"
#include "synth/transmitter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnock::synth {

inline constexpr double kHomeLat = 52.30; // degrees north
inline constexpr double kHomeLon = 4.76;  // degrees east
inline constexpr double kBufferSeconds = double(kBufferPairs) / kModeSSampleRate; // 0.512 s

struct ScenarioParams {
    uint64_t seed = 1;
    int aircraftCount = 20;
    int groundCount = 3; // of aircraftCount, taxiing near home
    double noiseSigma = 2.0; // Gaussian sigma on I and Q, 8-bit units
    // false: frames start at least 468 samples apart, and noise that would pass the receiver's
    // preamble test just before a frame is drawn again, so every frame can be received.
    bool allowOverlap = false;
    double minAmplitude = 24.0; // per-aircraft pulse magnitude range
    double maxAmplitude = 120.0;
    double maxTimingOffset = 0.12; // bound of the per-frame sub-sample offset, samples
    double maxRangeKm = 150.0;
};

// About twenty aircraft, no overlapping frames: every frame can be demodulated.
ScenarioParams demoSkyParams(uint64_t seed = 1);
// A hundred aircraft at real rates, overlaps and weak or badly timed frames as in a real sky.
ScenarioParams busySkyParams(uint64_t seed = 1);

enum class FrameKind : uint8_t {
    AirbornePosition,
    SurfacePosition,
    Velocity,
    Identification,
    Status,
    AllCall,
    ShortAirAir,
    LongAirAir,
    AltitudeReply,
    IdentityReply,
    CommBAltitude,
    CommBIdentity,
};

struct SkyFrame : PlacedFrame {
    int aircraft = -1;
    FrameKind kind = FrameKind::AllCall;
    int commBRegister = 0; // 0x20, 0x40, 0x50, 0x60 for DF 20/21, else 0
};

struct AircraftInfo {
    uint32_t address = 0;
    std::string callsign; // without trailing spaces
    std::string squawk;   // four octal digits
    int typeCode = 4;     // identification type code (4 = category set A)
    int category = 3;     // emitter category 0-7
    bool onGround = false;
};

struct AircraftState {
    double lat = 0.0;
    double lon = 0.0;
    double altitudeFt = 0.0; // barometric; 0 on the ground
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0; // true, clockwise from north, [0, 360)
    double verticalRateFpm = 0.0;
    double trackRateDps = 0.0; // positive turning right
    double selectedAltitudeFt = 0.0;
};

// Not thread-safe: rendering and frame listing reuse scratch storage owned by the object.
class Scenario {
public:
    explicit Scenario(const ScenarioParams& params = ScenarioParams{});

    const ScenarioParams& params() const { return params_; }
    int aircraftCount() const { return int(aircraft_.size()); }
    const AircraftInfo& aircraft(int i) const { return aircraft_[size_t(i)].info; }
    int findAircraft(uint32_t address) const; // index or -1
    // Truth at time t (seconds since the first sample of buffer 0).
    AircraftState stateAt(int i, double t) const;

    // Frames whose first preamble pulse lies in [firstSample, endSample) of the continuous stream
    // (sample 0 = first sample of buffer 0), in order of start; `out` is replaced.
    void framesInRange(int64_t firstSample, int64_t endSample, std::vector<SkyFrame>& out);
    // Frames starting in buffer n, with `sample` relative to that buffer's first sample.
    void framesInBuffer(uint64_t n, std::vector<SkyFrame>& out);
    // Buffer n of the stream: kBufferPairs I/Q pairs, 2,048,000 bytes. Depends only on the parameters
    // and n; frames that start near the end of buffer n-1 continue at its start.
    void renderBuffer(uint64_t n, uint8_t* out);

private:
    struct Motion {
        double centreX = 0.0, centreY = 0.0; // km east / north of home
        double radiusKm = 1.0;
        double angle0 = 0.0;   // rad, counter-clockwise from east
        double direction = 1.0; // +1 counter-clockwise, -1 clockwise
        double speedKt = 0.0;
        // Altitude: low level, climb, high level, descent, repeated.
        double lowFt = 0.0, highFt = 0.0, rateFpm = 0.0, dwellS = 0.0, cycleOffsetS = 0.0;
        double qnh = 1013.2;
    };
    struct Aircraft {
        AircraftInfo info;
        Motion motion;
        double amplitude = 60.0;
    };
    struct Candidate {
        int aircraft;
        int stream;
        int64_t k;
        double x; // nominal start, samples
        uint64_t priority;
    };

    void buildAircraft();
    bool buildFrame(const Candidate& c, int64_t sample, SkyFrame& out) const;
    void clearLeadIns(uint64_t n, uint8_t* out);

    ScenarioParams params_;
    std::vector<Aircraft> aircraft_;
    std::vector<Candidate> scratch_;
    std::vector<SkyFrame> renderList_;
    SignalBuffer signal_;
};

} // namespace varnock::synth
