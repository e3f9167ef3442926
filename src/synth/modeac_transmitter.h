// Mode A/C transmitter model: F1, twelve code pulses and optional X every 1.45 us, F2 at 20.3 us.
#pragma once

#include "synth/transmitter.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace varnock::synth {

// At kModeACSampleRate the 1.45 us pulse spacing is three samples; F2 sits 14 spacings after F1.
inline constexpr int kModeACSpacing = 3;
inline constexpr int kModeACF2Offset = 14 * kModeACSpacing;
inline constexpr int kModeACReplySamples = kModeACF2Offset + 1;
inline constexpr double kModeACPulseWidthUs = 0.45;

// Four octal digits A B C D, as a squawk or a Mode C altitude code is written.
struct ModeACCode {
    int a = 0, b = 0, c = 0, d = 0;

    // "ABCD"; false (code left as is) unless exactly four digits 0..7.
    bool parse(const char* text);
    std::string text() const;
    int number() const { return 1000 * a + 100 * b + 10 * c + d; }
    bool operator==(const ModeACCode&) const = default;
};

// Pulses of a reply as a mask over the 15 positions 0, 3, ..., 42 (bit n: offset 3n), in the
// order F1 C1 A1 C2 A2 C4 A4 X B1 D1 B2 D2 B4 D4 F2.
uint16_t modeACPulseMask(const ModeACCode& code, bool xPulse = false);

// Gillham code of an altitude: a multiple of 100 ft from -1,200 to 126,700. False outside that.
bool modeCCodeOf(int altitudeFt, ModeACCode& out);

struct PlacedModeACReply {
    ModeACCode code;
    int64_t sample = 0;      // sample index of F1 (may be negative or past the end)
    double offset = 0.0;     // sub-sample timing offset, samples
    double amplitude = 60.0; // pulse magnitude, |I-128|+|Q-128| units
    double phase = 0.0;      // carrier phase, radians
    bool xPulse = false;
};

// Adds one reply to a buffer running at kModeACSampleRate (pulses of 0.45 us, whatever the offset).
void addModeAC(SignalBuffer& buffer, const PlacedModeACReply& reply);

// `pairs` I/Q pairs (2 x pairs bytes into `out`) holding `replies` over Gaussian noise of `noiseSigma`.
void renderModeACTestBuffer(std::span<const PlacedModeACReply> replies, double noiseSigma, uint64_t noiseSeed,
                            uint8_t* out, size_t pairs = kBufferPairs);
std::vector<uint8_t> renderModeACTestBuffer(std::span<const PlacedModeACReply> replies, double noiseSigma = 1.5,
                                            uint64_t noiseSeed = 1, size_t pairs = kBufferPairs);

} // namespace varnock::synth
