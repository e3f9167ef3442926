// Transmitter model: pulse integration over sample periods, noise and quantisation of the work buffer.
#include "synth/transmitter.h"

#include "synth/rng.h"

#include <algorithm>
#include <cmath>

namespace varnock::synth {

SignalBuffer::SignalBuffer(size_t pairs, double sampleRate)
    : pairs_(pairs), sampleRate_(sampleRate), iq_(2 * pairs, 0.0f)
{
}

void SignalBuffer::clear()
{
    std::fill(iq_.begin(), iq_.end(), 0.0f);
}

void SignalBuffer::addPulse(double start, double length, float i, float q)
{
    const double end = start + length;
    if (length <= 0.0 || end <= 0.0 || start >= double(pairs_)) return;
    const long first = std::max(0L, long(std::floor(start)));
    const long last = std::min(long(pairs_) - 1, long(std::ceil(end)) - 1);
    for (long k = first; k <= last; ++k) {
        const double covered = std::min(double(k + 1), end) - std::max(double(k), start);
        if (covered <= 0.0) continue;
        iq_[2 * size_t(k)] += float(covered) * i;
        iq_[2 * size_t(k) + 1] += float(covered) * q;
    }
}

void SignalBuffer::addModeS(const uint8_t* bytes, int lengthBytes, double position, double amplitude,
                            double phase)
{
    // Scale I and Q so that |I| + |Q| of a fully covered sample is the requested amplitude,
    // whatever the carrier phase: the receiver measures exactly that sum.
    const double c = std::cos(phase);
    const double s = std::sin(phase);
    const double norm = std::fabs(c) + std::fabs(s);
    const float i = float(amplitude * c / norm);
    const float q = float(amplitude * s / norm);
    const double chip = 0.5e-6 * sampleRate_; // one pulse position: 0.5 us

    for (const int p : {0, 2, 7, 9}) addPulse(position + p * chip, chip, i, q);
    const int bits = lengthBytes * 8;
    for (int j = 0; j < bits; ++j) {
        const bool one = (bytes[j >> 3] >> (7 - (j & 7))) & 1;
        addPulse(position + (16 + 2 * j + (one ? 0 : 1)) * chip, chip, i, q);
    }
}

void SignalBuffer::addNoise(double sigma, uint64_t seed)
{
    if (sigma <= 0.0) return;
    Xoshiro256 rng(seed);
    for (float& v : iq_) v += float(sigma * rng.gaussian());
}

void SignalBuffer::quantise(uint8_t* out) const
{
    // floor(x + 128) is 127.5 + x rounded half up: the converter's zero sits between codes.
    for (size_t k = 0; k < iq_.size(); ++k) {
        const float v = std::floor(iq_[k] + 128.0f);
        out[k] = uint8_t(std::clamp(v, 0.0f, 255.0f));
    }
}

} // namespace varnock::synth
