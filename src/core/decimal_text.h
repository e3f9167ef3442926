// Decimal numbers as text without printf or the process locale: plain and padded integers, doubles.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

namespace varnock {

// Writes v as printf's "%0<width>d" (pad '0') or "%<width>d" (pad ' ') would; returns the length.
// buf must hold at least max(width, 11) characters.
inline std::size_t formatPaddedInt(char* buf, int32_t v, int width, char pad)
{
    char digits[11];
    int n = 0;
    uint32_t u = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    const int len = n + (v < 0 ? 1 : 0);
    std::size_t k = 0;
    if (pad != '0')
        for (int i = len; i < width; ++i) buf[k++] = ' ';
    if (v < 0) buf[k++] = '-';
    if (pad == '0')
        for (int i = len; i < width; ++i) buf[k++] = '0';
    while (n > 0) buf[k++] = digits[--n];
    return k;
}

// Widths above 20 are written as 20.
inline void appendPaddedInt(std::string& s, int32_t v, int width, char pad)
{
    char buf[32];
    const int w = width > 20 ? 20 : width;
    s.append(buf, formatPaddedInt(buf, v, w, pad));
}

// Shortest decimal text of v: "-" and digits only.
inline void appendDecimalInt(std::string& s, int64_t v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// Shortest text of `v` rounded to 15 significant digits, "." whatever the locale, always in
// fixed notation (0.0000763, not 7.63e-05: clients cut the text to a width, and a cut exponent
// form reads as a different number). -0 is written as 0. No allocation beyond `out` growing.
void appendDecimal15(std::string& out, double v);

} // namespace varnock
