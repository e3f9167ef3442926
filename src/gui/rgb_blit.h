// Copies a plain RGB picture into a QImage of the same size (allocated by the caller, once).
#pragma once

#include <QImage>

#include <cstring>

#include "sisex/rgb_image.h"

namespace varnock {

inline void copyRgbInto(const sisex::RgbImage& from, QImage& to)
{
    if (to.width() != from.width || to.height() != from.height || to.format() != QImage::Format_RGB888)
        to = QImage(from.width, from.height, QImage::Format_RGB888);
    const size_t row = size_t(from.width) * 3;
    for (int y = 0; y < from.height; ++y) std::memcpy(to.scanLine(y), &from.rgb[size_t(y) * row], row);
}

} // namespace varnock
