// A Mode-S frame placed in a sample buffer: position, sub-sample offset, amplitude and carrier phase.
#pragma once

#include "synth/frame_builder.h"
#include "synth/transmitter.h"

#include <cstdint>

namespace varnock::synth {

struct PlacedFrame {
    ModeSFrame frame;
    int64_t sample = 0;      // sample index of the first preamble pulse (may be negative or past the end)
    double offset = 0.0;     // sub-sample timing offset in samples, normally in [-0.5, 0.5)
    double amplitude = 60.0; // pulse magnitude, |I-128|+|Q-128| units
    double phase = 0.0;      // carrier phase, radians
};

inline void addFrame(SignalBuffer& buffer, const PlacedFrame& f)
{
    buffer.addModeS(f.frame.bytes, f.frame.length, double(f.sample) + f.offset, f.amplitude, f.phase);
}

} // namespace varnock::synth
