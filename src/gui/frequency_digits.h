// The frequency digits of the main window: ten digits with up to two leading blanks, the first seven shown.
#pragma once

#include <array>
#include <cstdint>

namespace varnock {

// The characters of Label1..Label7 for `hz` (for 1,090,000,000: "1090000").
std::array<char, 7> frequencyDigits(uint32_t hz);

} // namespace varnock
