// Helpers shared by the synthesizer tests: frames to and from hexadecimal text.
#pragma once

#include "synth/frame_builder.h"

#include <cstdio>
#include <string>

namespace varnock::synth::testing {

inline std::string hexOf(const ModeSFrame& f)
{
    std::string s;
    char b[3];
    for (int i = 0; i < f.length; ++i) {
        std::snprintf(b, sizeof b, "%02X", f.bytes[i]);
        s += b;
    }
    return s;
}

inline ModeSFrame frameOf(const std::string& hex)
{
    ModeSFrame f;
    f.length = int(hex.size() / 2);
    for (int i = 0; i < f.length; ++i) f.bytes[i] = uint8_t(std::stoi(hex.substr(2 * size_t(i), 2), nullptr, 16));
    return f;
}

} // namespace varnock::synth::testing
