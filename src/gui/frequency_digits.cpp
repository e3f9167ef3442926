// frequencyDigits: only the first two leading zeros turn blank, so 10 MHz reads "  10.000".
#include "gui/frequency_digits.h"

#include <cstdio>

namespace varnock {

std::array<char, 7> frequencyDigits(uint32_t hz)
{
    char ten[16];
    std::snprintf(ten, sizeof ten, "%010u", static_cast<unsigned>(hz));
    if (ten[0] == '0') ten[0] = ' ';
    if (ten[0] == ' ' && ten[1] == '0') ten[1] = ' ';
    std::array<char, 7> out{};
    for (int i = 0; i < 7; ++i) out[static_cast<std::size_t>(i)] = ten[i];
    return out;
}

} // namespace varnock
