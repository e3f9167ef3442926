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

// On colours of the LEDs, 24-bit with red in the low byte; some change at run time (ALed8, ALed10).
struct LedColours {
    static constexpr int kLime = 65280, kYellow = 65535, kOrange = 33023, kViolet = 16711808;
    static constexpr int kPacketRate = 16749092, kLineClients = 16744703;
    int colour[11] = {0,           kPacketRate, kPacketRate, kPacketRate,  kPacketRate, kPacketRate,
                      kLime,       kViolet,     kYellow,     kLineClients, kViolet};
    int& operator[](int n) { return colour[n]; }
    int operator[](int n) const { return colour[n]; }
};

} // namespace varnock
