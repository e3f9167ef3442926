// The fonts of the windows: Liberation Sans for Arial, Liberation Mono for Courier New, OCR-A for OCR A Extended.
#pragma once

#include <QFont>

namespace varnock {

inline QFont sansFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

inline QFont monoFont(int pixels)
{
    QFont f(QStringLiteral("Liberation Mono"));
    f.setPixelSize(pixels);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

// `pixels` > 0 sets a pixel size, otherwise `points` is used.
inline QFont ocrFont(int pixels, int points = 0, bool bold = false)
{
    QFont f(QStringLiteral("OCRA"));
    if (pixels > 0)
        f.setPixelSize(pixels);
    else
        f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace varnock
