// The system's colour values (24-bit, red in the low byte, blue in the high byte) as Qt colours.
#pragma once

#include <QColor>

#include <cstdint>

namespace varnock {

inline QColor colourOf(uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace varnock
