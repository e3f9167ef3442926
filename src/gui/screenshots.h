// Screenshots of the program's own windows to PNG files, for the documentation and for looking at.
#pragma once

#include <QString>

#include <functional>

namespace varnock {

class MainWindow;

// After `afterMs`: every visible window to `dir`/<name>-packets.png (the main window as
// main-packets.png); then "List" is released so the list shows the aircraft table, and after
// `tableMs` the windows again as <name>-aircraft.png. Then `done` runs (the program ends).
void scheduleScreenshots(MainWindow& window, const QString& dir, int afterMs, int tableMs,
                         std::function<void()> done);

// The grab itself: every visible top-level window; returns the files written.
QStringList grabWindows(const QString& dir, const QString& suffix);

} // namespace varnock
