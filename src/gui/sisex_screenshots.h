// Screenshots of the explorer window for the documentation: live, an overview page, a zoomed page, statistics.
#pragma once

#include <QString>

#include <functional>

namespace varnock {

class MainWindow;
class Tfosis;

// Presses "SISEX>>", lets live pages arrive for `liveMs`, then writes `dir`/explorer-live.png,
// explorer-overview.png (recording stopped), explorer-zoom.png (zoomed on the strongest reply, a
// marker on it) and explorer-statistics.png; then `done` runs.
void scheduleExplorerScreenshots(MainWindow& main, Tfosis& explorer, const QString& dir, int liveMs,
                                 std::function<void()> done);

} // namespace varnock
