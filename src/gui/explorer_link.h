// Joins the explorer window to the main window: "SISEX>>", closing, repaints and the tray.
#pragma once

namespace varnock {

class MainWindow;
class Tfosis;

void linkExplorerWindow(MainWindow& main, Tfosis& explorer);

} // namespace varnock
