// Control states read by the core: the latching buttons, window visibility and run switches.
#pragma once

namespace varnock {

// "Down" (pressed) is true.
struct Controls {
    bool sbmodes = true;    // "MODE-S"
    bool sbmodeac = false;  // "MODE-AC"
    bool sblist = true;     // "List": down shows packets, up shows the aircraft table
    bool sbudpout = false;  // "Send UDP"
    bool mainWindowVisible = true;
};

// LED indicators ALed1..ALed10 (index 0 unused).
struct Leds {
    bool on[11] = {};
    bool& operator[](int n) { return on[n]; }
    bool operator[](int n) const { return on[n]; }
};

} // namespace varnock
