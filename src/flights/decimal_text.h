// Decimal text of a double for the line and table formats: up to 15 significant digits, never an exponent.
#pragma once

#include <string>

namespace varnock {

// Shortest text of `v` rounded to 15 significant digits, "." whatever the locale, always in
// fixed notation (0.0000763, not 7.63e-05: clients cut the text to a width, and a cut exponent
// form reads as a different number). -0 is written as 0. No allocation beyond `out` growing.
void appendDecimal15(std::string& out, double v);

} // namespace varnock
