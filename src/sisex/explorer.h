// Explorer: the state of the signals-in-space explorer window and its actions, without any widget.
#pragma once

#include "core/clock.h"
#include "demod/tick_hooks.h"
#include "sisex/explorer_files.h"
#include "sisex/explorer_ui.h"
#include "sisex/page_ring.h"
#include "sisex/pulse_statistics.h"
#include "sisex/render.h"
#include "sisex/yt_strip.h"

#include <array>
#include <string>

namespace varnock::sisex {

inline constexpr int kStatusPanels = 8;
inline constexpr int kStatePanel = 7; // state and file messages

// Contrast and squelch of one view (overview or zoom).
struct ViewPair {
    int contrast = 4;
    int squelch = 12;
};

enum class MouseButton { Left, Right, Middle };

// The processing tick hands it each buffer through MagnitudeTap while the window is visible and live.
class Explorer final : public MagnitudeTap {
public:
    Explorer(PageRing& ring, PulseStatistics& statistics, ExplorerFiles& files, ExplorerUi& ui, const Clock& clock);

    // ---- start-up, caption, data folder ----
    void setProgramName(const std::string& name, int flag);
    // The settings value `lastdir` (empty: `programFolder`); always kept ending in "/".
    void setDataDir(const std::string& dir);
    const std::string& dataDir() const { return dataDir_; }
    const std::string& caption() const { return caption_; }
    // dataDir + program name + "_" + local "yyyy-mm-dd-hhnnss" + extension (".bmp", ".jpg").
    std::string screenshotPath(const char* extension) const;

    // ---- window ----
    // "SISEX>>" pressed down (the main window has checked that Mode A/C is off).
    void openFromMainWindow();
    // "SISEX>>" released: hide; the live button stays down.
    void hideWindow() { visible_ = false; }
    // The window is closed: the statistics panel is hidden too.
    void closeWindow();
    // Shown again with the main window (from the notification area): recording goes on as it was.
    void showAgain() { visible_ = true; }
    bool visible() const { return visible_; }

    // ---- feed ----
    // True while the window is visible and the live button is down.
    bool wantsLiveFeed() const { return visible_ && live_; }
    // One buffer of magnitudes before clipping (count 1,024,000); the values are copied at once.
    void liveFeed(const uint16_t* values, int count);
    bool isLive() const override { return wantsLiveFeed(); }
    void onMagnitudes(const uint16_t* m, int count) override { liveFeed(m, count); }

    // ---- buttons ----
    bool live() const { return live_; }
    bool zoom() const { return zoom_; }
    void sbliveClick(bool down);
    void sbslow1Click(bool down);
    void jumpClick(int page);
    void sbdiskClick();
    void sbopenClick();
    void sbclearClick();

    // ---- track bars and keys ----
    int position() const { return position_; }
    void setPosition(int p);
    int contrast() const { return currentView().contrast; }
    int squelch() const { return currentView().squelch; }
    void setContrast(int c);
    void setSquelch(int s);
    ViewPair& overviewView() { return overview_; }
    ViewPair& zoomView() { return zoomed_; }
    int ytSpanPosition() const { return ytSpan_; }
    void setYtSpanPosition(int p);
    void pageUp();
    void pageDown();
    void digitKey(int digit);
    bool patternDown() const { return patternDown_; }
    void setPatternDown(bool down);
    const std::string& patternCaption() const { return patternCaption_; }

    // ---- status bar ----
    const std::string& status(int panel) const { return status_[size_t(panel)]; }
    // A screenshot of the window was written (jpeg: as JPG, else as BMP).
    void screenshotSaved(bool jpeg) { setStatus(kStatePanel, jpeg ? "JPG file saved" : "BMP file saved"); }

    // ---- picture mouse ----
    void mouseMove(int x, int y);
    void mouseDown(MouseButton button, int x, int y);
    const Marker& whiteMarker() const { return white_; }
    const Marker& redMarker() const { return red_; }

    // ---- strip ----
    void stripMouseDown(MouseButton button, int x);
    int aquaCursor() const { return aquaX_; }
    int magentaCursor() const { return magentaX_; }
    const std::string& modeALabel() const { return label13_; }
    const std::string& modeCLabel() const { return label14_; }

    // ---- statistics panel ----
    void showStatisticsPanel();
    void runAnalysis();
    void sortClick() { statistics_.toggleSort(); }
    void saveStatistics();
    void closeStatisticsPanel();
    bool statisticsVisible() const { return statisticsVisible_; }

    // ---- directory panel ----
    void openDirectoryPanel();
    void directoryChosen(const std::string& dir);
    void directoryOk();
    void directoryCancel() { directoryPanelVisible_ = false; }
    void newFolderClick(const std::string& name);
    bool directoryPanelVisible() const { return directoryPanelVisible_; }
    const std::string& directoryListDir() const { return directoryListDir_; }

    // ---- drawing ----
    PictureState pictureState() const;
    StripState stripState() const;

    PageRing& ring() { return ring_; }
    const PulseStatistics& statistics() const { return statistics_; }

private:
    const ViewPair& currentView() const { return zoom_ ? zoomed_ : overview_; }
    ViewPair& currentView() { return zoom_ ? zoomed_ : overview_; }
    void setStatus(int panel, std::string text) { status_[size_t(panel)] = std::move(text); }
    void setStatePanel();
    void startLive();
    void stopLive();
    void releaseLive() { live_ = false; }
    void buildCaption();
    std::string pageFileName(int n, const char* extension) const;
    bool loadPage(int n, const std::string& path, bool sixteenBit);

    PageRing& ring_;
    PulseStatistics& statistics_;
    ExplorerFiles& files_;
    ExplorerUi& ui_;
    const Clock& clock_;

    std::string programName_ = "varnock";
    std::string dataDir_ = "./";
    std::string caption_;
    std::array<std::string, kStatusPanels> status_;
    bool visible_ = false;
    bool live_ = false;
    bool zoom_ = false;
    bool statisticsVisible_ = false;
    bool directoryPanelVisible_ = false;
    std::string directoryListDir_;
    int position_ = 0;
    ViewPair overview_;
    ViewPair zoomed_;
    int ytSpan_ = 8;
    bool patternDown_ = false;
    std::string patternCaption_ = "0000";
    Marker white_;
    Marker red_;
    int aquaX_ = -1;
    int magentaX_ = -1;
    std::string label13_;
    std::string label14_;
};

// "/" appended unless the text already ends in one.
std::string withTrailingSlash(const std::string& dir);

} // namespace varnock::sisex
