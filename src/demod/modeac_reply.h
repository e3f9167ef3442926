// ModeACReply: one accepted Mode A/C reply as handed to the raw outputs and the list.
#pragma once

#include <cstdint>

namespace varnock {

struct ModeACReply {
    int a = 0, b = 0, c = 0, d = 0; // octal digits 0..7
    char code[5] = {};              // "ABCD"
    int level = 0;                  // 0..181, never 26
    bool altitudeValid = false;
    int flightLevel = 0;            // hundreds of feet, 0..489, when altitudeValid
    uint8_t stamp[6] = {};
    int64_t timeUs = 0;
    int64_t deltaUs = 0;
};

// Where an accepted reply goes: list line, raw TCP line and UDP datagram, in that order.
class ModeACOutput {
public:
    virtual ~ModeACOutput() = default;
    virtual void emitModeACReply(const ModeACReply& reply) = 0;
};

} // namespace varnock
