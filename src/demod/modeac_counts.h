// Per-code reception counters of Mode A/C replies and the Gillham Mode C altitude.
#pragma once

#include <cstdint>

namespace varnock {

// Indexed by the code text read as a decimal number (0..7777); codes with an 8 or 9 never count.
struct ModeACCodeCounts {
    static constexpr int kSize = 7778;
    int32_t count[kSize] = {};
};

// Gillham altitude in feet before any range check; `legal` is false when the C pulses form no code.
int gillhamAltitude(int a, int b, int c, int d, bool& legal);

// Mode C altitude in feet of the octal digits a, b, c, d (each 0..7).
// `valid` is false when the C pulses form no legal code or the result lies outside -99..48,999 ft;
// the altitude is returned either way (a c-code of 0, 5 or 7 yields 0).
int modeCAltitude(int a, int b, int c, int d, bool& valid);

// Flight level shown for a valid Mode C altitude: whole hundreds of feet (0..489), never rounded up.
inline int modeCFlightLevel(int altitude) { return altitude / 100; }

} // namespace varnock
