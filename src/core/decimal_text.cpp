// Fixed-notation decimal text of a double with 15 significant digits.
#include "core/decimal_text.h"

#include <charconv>
#include <cmath>

namespace varnock {

void appendDecimal15(std::string& out, double v)
{
    if (v == 0.0) v = 0.0; // no "-0"
    char general[40];
    // to_chars ignores the process locale, which Qt sets from the environment.
    auto r = std::to_chars(general, general + sizeof general, v, std::chars_format::general, 15);
    const char* end = r.ptr;
    const char* e = general;
    while (e < end && *e != 'e') ++e;
    if (e == end || !std::isfinite(v)) {
        out.append(general, static_cast<std::size_t>(end - general));
        return;
    }
    // Rebuild the same rounded digits around the decimal point: d.ddd e±x -> fixed.
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), end, exponent);
    char digits[20];
    int n = 0;
    const char* p = general;
    const bool negative = *p == '-';
    if (negative) ++p;
    for (; p < e; ++p)
        if (*p != '.' && n < static_cast<int>(sizeof digits)) digits[n++] = *p;

    char fixed[400]; // the longest is a subnormal: "-0." + 323 zeros + 15 digits
    int k = 0;
    if (negative) fixed[k++] = '-';
    if (exponent < 0) {
        fixed[k++] = '0';
        fixed[k++] = '.';
        for (int z = 1; z < -exponent; ++z) fixed[k++] = '0';
        for (int i = 0; i < n; ++i) fixed[k++] = digits[i];
    } else {
        // Only exponents of 15 and above reach here: every digit stands before the point.
        for (int i = 0; i < n; ++i) fixed[k++] = digits[i];
        for (int z = n - 1; z < exponent; ++z) fixed[k++] = '0';
    }
    out.append(fixed, static_cast<std::size_t>(k));
}

} // namespace varnock
