// RawFrame: one Mode-S candidate as sliced, validated and time-stamped by the processing tick.
#pragma once

#include <cstdint>

namespace varnock {

struct RawFrame {
    uint8_t bytes[14] = {};  // all 112 sliced bits; a short frame uses bytes 0..6
    int length = 0;          // 7 or 14
    int df = 0;
    int level = 0;           // 0..181, never 26
    int sampleIndex = 0;     // first data sample (preamble start + 16)
    uint8_t syndrome[3] = {};
    char address[7] = {};    // six upper-case hex digits
    uint8_t stamp[6] = {};   // 48-bit sample clock, most significant byte first
    int64_t timeUs = 0;
    int64_t deltaUs = 0;     // 0..99,999
};

// Where an accepted frame goes: list line, raw TCP line and UDP datagram, in that order.
class FrameOutput {
public:
    virtual ~FrameOutput() = default;
    virtual void emitModeSFrame(const RawFrame& frame) = 0;
};

} // namespace varnock
