// ExplorerHost: settings in and out of the explorer's views and data folder.
#include "app/explorer_host.h"

namespace varnock {

ExplorerHost::ExplorerHost(const Clock& clock) : explorer_(ring_, statistics_, files_, relay_, clock)
{
    explorer_.setProgramName("varnock", 1);
}

void ExplorerHost::applySettings(const Settings& s)
{
    explorer_.setDataDir(s.lastDir);
    explorer_.overviewView() = {s.contrast, s.threshold};
    explorer_.zoomView() = {s.contrastZ, s.thresholdZ};
    explorer_.setYtSpanPosition(s.ytSpan);
}

void ExplorerHost::storeSettings(Settings& s)
{
    s.lastDir = explorer_.dataDir();
    s.contrast = explorer_.overviewView().contrast;
    s.threshold = explorer_.overviewView().squelch;
    s.contrastZ = explorer_.zoomView().contrast;
    s.thresholdZ = explorer_.zoomView().squelch;
    s.ytSpan = explorer_.ytSpanPosition();
}

} // namespace varnock
