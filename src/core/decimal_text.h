// Padded decimal integers without printf: list columns and flight levels are formatted per frame.
#pragma once

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

inline void appendPaddedInt(std::string& s, int32_t v, int width, char pad)
{
    char buf[32];
    const int w = width > 20 ? 20 : width;
    s.append(buf, formatPaddedInt(buf, v, w, pad));
}

} // namespace varnock
