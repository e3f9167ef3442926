// The help page shipped with the program: where it lies and opening it in the desktop's browser.
#pragma once

#include <QString>

namespace varnock {

// The first existing of: <dir>/help/varnock.html, <dir>/../share/varnock/help/varnock.html.
// `programDir` empty: the folder of the running program. Empty when none exists.
QString helpPageFile(const QString& programDir = QString());

// Opens helpPageFile() with the desktop; false when there is no page or nothing could open it.
bool openHelpPage();

} // namespace varnock
