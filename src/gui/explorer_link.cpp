// linkExplorerWindow: the main window's explorer hooks pointed at one Tfosis.
#include "gui/explorer_link.h"

#include "gui/main_window.h"
#include "gui/sisex_window.h"

namespace varnock {

void linkExplorerWindow(MainWindow& main, Tfosis& explorer)
{
    MainWindow::ExplorerLink link;
    link.toggled = [&explorer](bool down) {
        if (down) explorer.openFromMainWindow();
        else explorer.hideFromMainWindow();
    };
    link.repainted = [&explorer] { explorer.requestRedraw(); };
    link.withTray = [&explorer](bool hidden) {
        if (hidden) explorer.hideWithMainWindow();
        else explorer.showWithMainWindow();
    };
    main.setExplorerLink(std::move(link));
    explorer.onClosed = [&main] { main.explorerClosed(); };
}

} // namespace varnock
