// The explorer's window state: live recording, views, jumps, keys, markers, strip and panels.
#include "sisex/explorer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace varnock::sisex {

namespace {

const char* const kInitialStatus[kStatusPanels] = {"CUR:", "WHT:", "RED:", "RED-WHT:", "WHT-CUR:", "RED-CUR:",
                                                   "X: Y:", ""};

std::string localStamp(const Clock& clock)
{
    const LocalDateTime t = clock.localTime();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

} // namespace

std::string withTrailingSlash(const std::string& dir)
{
    if (!dir.empty() && dir.back() == '/') return dir;
    return dir + "/";
}

Explorer::Explorer(PageRing& ring, PulseStatistics& statistics, ExplorerFiles& files, ExplorerUi& ui,
                   const Clock& clock)
    : ring_(ring), statistics_(statistics), files_(files), ui_(ui), clock_(clock)
{
    for (int i = 0; i < kStatusPanels; ++i) status_[size_t(i)] = kInitialStatus[i];
    buildCaption();
}

void Explorer::setProgramName(const std::string& name, int /*flag: 16-bit values, the only width kept*/)
{
    programName_ = name;
    buildCaption();
}

void Explorer::setDataDir(const std::string& dir)
{
    dataDir_ = withTrailingSlash(dir);
    buildCaption();
}

void Explorer::buildCaption()
{
    caption_ = programName_ + " - Signals-in-space explorer - " + dataDir_;
}

std::string Explorer::screenshotPath(const char* extension) const
{
    return dataDir_ + programName_ + "_" + localStamp(clock_) + extension;
}

// ---- window and feed ----

void Explorer::openFromMainWindow()
{
    // Showing the window always restarts recording from an empty state.
    statisticsVisible_ = false;
    startLive();
    zoom_ = false;
    setStatePanel();
    visible_ = true;
}

void Explorer::closeWindow()
{
    statisticsVisible_ = false;
    visible_ = false;
}

void Explorer::liveFeed(const uint16_t* values, int count)
{
    ring_.liveFeed(values, count);
    if (!zoom_) setStatus(0, "PAGE offset: " + std::to_string(ring_.pageOffsetMs()) + " ms");
    ui_.redraw();
}

void Explorer::setStatePanel()
{
    if (live_) setStatus(kStatePanel, zoom_ ? "LIVE! (ZOOM)" : "LIVE!");
    else setStatus(kStatePanel, zoom_ ? "OFFLINE (ZOOM)" : "OFFLINE");
}

void Explorer::startLive()
{
    live_ = true;
    position_ = 14;
    setStatePanel();
    ring_.startLive();
}

void Explorer::stopLive()
{
    live_ = false;
    setStatePanel();
    ring_.stopLive();
    ui_.redraw();
}

// ---- buttons ----

void Explorer::sbliveClick(bool down)
{
    if (statisticsVisible_) return;
    if (down) startLive();
    else stopLive();
}

void Explorer::sbslow1Click(bool down)
{
    if (statisticsVisible_) return;
    zoom_ = down;
    setStatePanel();
    ui_.redraw();
}

void Explorer::jumpClick(int page)
{
    if (page < 0 || page >= kPageCount || !ring_.button(page).enabled) return;
    releaseLive();
    position_ = 0;
    ring_.showPage(page);
    ui_.redraw();
}

void Explorer::sbclearClick()
{
    aquaX_ = -1;
    magentaX_ = -1;
    label13_.clear();
    label14_.clear();
    ui_.redraw();
}

// ---- track bars and keys ----

void Explorer::setPosition(int p)
{
    position_ = std::clamp(p, 0, kPositionMax);
    ui_.redraw();
}

void Explorer::setContrast(int c)
{
    currentView().contrast = std::clamp(c, 1, 30);
    ui_.redraw();
}

void Explorer::setSquelch(int s)
{
    currentView().squelch = std::clamp(s, 0, 255);
    ui_.redraw();
}

void Explorer::setYtSpanPosition(int p)
{
    ytSpan_ = std::clamp(p, 5, 8);
    ui_.redraw();
}

void Explorer::pageUp()
{
    if (!ring_.hasData()) return;
    const int page = ring_.currentPage();
    if (!zoom_) {
        if (page > 0) {
            position_ = 0;
            ring_.showPage(page - 1);
        }
    } else if (position_ > 0) {
        --position_;
    } else if (page > 0) {
        position_ = kPositionMax;
        ring_.showPage(page - 1);
    }
    ui_.redraw();
}

void Explorer::pageDown()
{
    if (!ring_.hasData()) return;
    const int page = ring_.currentPage();
    if (!zoom_) {
        if (page < kPageCount - 1) {
            position_ = kPositionMax;
            ring_.showPage(page + 1);
        }
    } else if (position_ < kPositionMax) {
        ++position_;
    } else if (page < kPageCount - 1) {
        position_ = 0;
        ring_.showPage(page + 1);
    }
    ui_.redraw();
}

void Explorer::digitKey(int digit)
{
    if (digit < 0 || digit > 7) return;
    if (patternCaption_.size() >= 4) patternCaption_.clear();
    patternCaption_ += char('0' + digit);
    ui_.redraw();
}

void Explorer::setPatternDown(bool down)
{
    patternDown_ = down;
    ui_.redraw();
}

// ---- picture mouse ----

void Explorer::mouseMove(int x, int y)
{
    if (!ring_.hasData()) return;
    const std::string offset = std::to_string(ring_.pageOffsetMs());
    if (!zoom_) {
        setStatus(0, "PAGE offset: " + offset + " ms");
        for (int i = 1; i <= 6; ++i) status_[size_t(i)].clear();
        return;
    }
    const int64_t t = mouseTicks(x, y, position_);
    setStatus(0, "CUR: " + formatMs(t) + " ms + " + offset + " = " +
                     formatMs(int64_t(ring_.pageOffsetMs()) * kTicksPerMs + t) + " ms");
    if (white_.isSet()) setStatus(4, "WHT-CUR: " + formatMs(std::abs(white_.ticks - t)) + " ms");
    if (red_.isSet()) setStatus(5, "RED-CUR: " + formatMs(std::abs(red_.ticks - t)) + " ms");
    const uint16_t* page = ring_.shownPage();
    const unsigned v = page != nullptr ? valueAt(page, t) : 0;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%02X", v);
    setStatus(6, "X: " + std::to_string(x) + " Y:" + std::to_string(y) + " =>" + std::to_string(v) + " [" + hex + "]");
}

void Explorer::mouseDown(MouseButton button, int x, int y)
{
    if (button == MouseButton::Middle || live_ || !ring_.hasData()) return;
    const uint16_t* page = ring_.shownPage();
    if (page == nullptr) return;
    const int64_t t0 = mouseTicks(x, y, position_);
    // Snap to the strongest of five rows around the click, the first of equals.
    int best = 0;
    uint16_t bestValue = 0;
    for (int i = 0; i < 5; ++i) {
        const uint16_t v = valueAt(page, t0 + (i - 2) * kRowValues);
        if (i == 0 || v > bestValue) {
            best = i;
            bestValue = v;
        }
    }
    Marker m;
    m.ticks = t0 + (best - 2) * kRowValues;
    m.stripX = x;
    // The strip follows the snapped row: a whole row (two pixels) per snap step.
    m.stripY = y + 2 * (best - 2);
    m.position = position_;
    const std::string time = formatMs(m.ticks);
    setStatus(0, "CUR: " + time + " ms");
    if (button == MouseButton::Left) {
        white_ = m;
        setStatus(1, "WHT: " + time + " ms");
    } else {
        red_ = m;
        setStatus(2, "RED: " + time + " ms");
    }
    if (white_.isSet() && red_.isSet()) setStatus(3, "RED-WHT: " + formatMs(std::abs(red_.ticks - white_.ticks)) + " ms");
    ui_.redraw();
}

// ---- strip ----

void Explorer::stripMouseDown(MouseButton button, int x)
{
    if (!zoom_ || live_) return;
    if (button == MouseButton::Right) {
        magentaX_ = x;
    } else if (button == MouseButton::Left) {
        aquaX_ = x;
        const ModeACReading r = readModeAC(ring_.shownPage(), white_, x, squelch());
        label13_ = r.modeA;
        label14_ = r.modeC;
        if (r.ok) patternCaption_ = r.code;
    } else {
        return;
    }
    ui_.redraw();
}

// ---- statistics panel ----

void Explorer::showStatisticsPanel()
{
    statisticsVisible_ = true;
    // Released without their actions: no re-ordering, no swap of the views' settings.
    live_ = false;
    zoom_ = false;
}

void Explorer::runAnalysis()
{
    if (zoom_) return;
    setStatus(kStatePanel, "Analysis started");
    ui_.repaintNow();
    statistics_.run(ring_.shownPage(), squelch(), [this](const std::string& text) {
        setStatus(kStatePanel, text);
        ui_.repaintNow();
    });
    statisticsVisible_ = true;
    setStatus(kStatePanel, "Analysis done.");
}

void Explorer::saveStatistics()
{
    const std::string path = dataDir_ + programName_ + "_stats_" + localStamp(clock_) + ".txt";
    const std::string text = statistics_.fileText(squelch(), dataDir_);
    std::string error;
    if (!files_.writeReplacing(path, text.data(), text.size(), error)) {
        ui_.errorBox("Cannot write " + path + ": " + error);
        return;
    }
    setStatus(kStatePanel, "Statistics file saved.");
}

void Explorer::closeStatisticsPanel()
{
    statisticsVisible_ = false;
    ui_.redraw();
}

// ---- directory panel ----

void Explorer::openDirectoryPanel()
{
    directoryListDir_ = dataDir_;
    buildCaption();
    directoryPanelVisible_ = true;
}

void Explorer::directoryChosen(const std::string& dir)
{
    directoryListDir_ = dir;
    setDataDir(dir);
}

void Explorer::directoryOk()
{
    directoryPanelVisible_ = false;
    setDataDir(directoryListDir_);
}

void Explorer::newFolderClick(const std::string& name)
{
    if (name.empty()) return;
    const std::string path = dataDir_ + name + "/";
    if (files_.isDirectory(path)) {
        setDataDir(path);
        setStatus(kStatePanel, "Folder existant.");
        return;
    }
    std::string error;
    if (!files_.makeDirectory(dataDir_ + name, error)) {
        setStatus(kStatePanel, "Creation failed.");
        return;
    }
    directoryListDir_ = path;
    setDataDir(path);
    setStatus(kStatePanel, "Folder created.");
}

// ---- drawing ----

PictureState Explorer::pictureState() const
{
    PictureState s;
    s.page = ring_.shownPage();
    s.zoom = zoom_;
    s.position = position_;
    s.contrast = contrast();
    s.squelch = squelch();
    s.white = white_;
    s.red = red_;
    s.showPattern = patternDown_;
    s.patternCode = patternCaption_;
    return s;
}

StripState Explorer::stripState() const
{
    StripState s;
    s.page = ring_.shownPage();
    s.white = white_;
    s.red = red_;
    s.span = stripSpan(ytSpan_);
    s.squelch = squelch();
    s.aquaX = aquaX_;
    s.magentaX = magentaX_;
    return s;
}

} // namespace varnock::sisex
