// Which view the program runs: the desktop window when a display exists and "console" is absent.
#pragma once

#include <string>
#include <vector>

namespace varnock {

// `display` and `waylandDisplay` are $DISPLAY and $WAYLAND_DISPLAY (null when unset).
bool wantsGui(const std::vector<std::string>& args, const char* display, const char* waylandDisplay);

} // namespace varnock
