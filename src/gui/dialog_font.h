// The dialogs' text font: Liberation Sans at the pixel height the layouts were measured in.
#pragma once

#include <QFont>

namespace varnock {

inline QFont dialogFont(bool bold = false)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    f.setBold(bold);
    return f;
}

} // namespace varnock
