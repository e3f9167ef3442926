// Transmitter model: Mode-S replies as pulses on a float I/Q work buffer, noise, 8-bit quantisation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnock::synth {

inline constexpr double kModeSSampleRate = 2'000'000.0;
inline constexpr double kModeACSampleRate = 2'068'965.0;
inline constexpr size_t kBufferPairs = 1'024'000; // one SampleBuffer: 2,048,000 bytes

// Samples covered by a whole Mode-S reply (8 us preamble + 112 us data) at 2 MS/s.
inline constexpr int kLongFrameSamples = 240;

// A float I/Q work buffer of N pairs: signals add up in it, then it is quantised once.
// Allocated at construction only; nothing below allocates.
class SignalBuffer {
public:
    explicit SignalBuffer(size_t pairs = kBufferPairs, double sampleRate = kModeSSampleRate);

    size_t pairs() const { return pairs_; }
    double sampleRate() const { return sampleRate_; }
    const float* data() const { return iq_.data(); } // I, Q, I, Q, ...

    void clear();

    // Adds a rectangular pulse of constant complex amplitude (i, q) over [start, start + length)
    // in sample units; each sample receives the amplitude times the part of its period covered.
    // Parts outside the buffer are dropped, so a pulse may straddle either end.
    void addPulse(double start, double length, float i, float q);

    // Adds a 56- or 112-bit Mode-S reply whose first preamble pulse starts at `position` (in samples,
    // fractional part = sub-sample timing offset; may be negative or run past the end).
    // `amplitude` is the pulse magnitude in |I-128|+|Q-128| units, `phase` the carrier phase (rad).
    void addModeS(const uint8_t* bytes, int lengthBytes, double position, double amplitude, double phase);

    // Adds independent Gaussian noise of the given sigma (8-bit units) to every I and Q value.
    void addNoise(double sigma, uint64_t seed);

    // Unsigned 8-bit interleaved I/Q, I first, zero at 127.5, rounded and clamped: 2 x pairs bytes.
    void quantise(uint8_t* out) const;

private:
    size_t pairs_;
    double sampleRate_;
    std::vector<float> iq_;
};

// Magnitude as the receiver computes it, for checks: |I-128| + |Q-128| of pair p.
inline int magnitudeAt(const uint8_t* iq, size_t p)
{
    const int i = int(iq[2 * p]) - 128;
    const int q = int(iq[2 * p + 1]) - 128;
    return (i < 0 ? -i : i) + (q < 0 ? -q : q);
}

} // namespace varnock::synth
