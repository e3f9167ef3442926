// MainWindow (TForm1): the fixed-size main window - shows the engine's state and forwards clicks to it.
#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace varnock {

class DeviceControl;
class Engine;
class StatusPanelsBar;
class TALed;
struct Settings;

class MainWindow final : public QWidget {
    Q_OBJECT

public:
    struct Hooks {
        std::function<bool()> configVisible;   // is the configuration dialog showing?
        std::function<void()> showConfig;      // show it (non-modal)
        // The close box (and the application's quit): the close query and the close; true when the
        // program is ending, so the window may close.
        std::function<bool()> closeRequested;
        std::function<bool()> openHelp;        // false when the page could not be opened
    };

    // `settings` holds the window position in and out; both must outlive the window.
    MainWindow(Engine& engine, Settings& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setDeviceControl(DeviceControl* device);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // The explorer window, reached only through these (none in tests that do not need it).
    struct ExplorerLink {
        std::function<void(bool down)> toggled;    // "SISEX>>" latched down or up
        std::function<void()> repainted;           // this window painted
        std::function<void(bool hidden)> withTray; // this window went to / came from the tray
    };
    void setExplorerLink(ExplorerLink link) { explorer_ = std::move(link); }
    // The explorer window was closed by the user: "SISEX>>" comes up.
    void explorerClosed();

    // Everything the engine's state decides: caption, START/STOP look, enabled and pressed
    // controls, the gain list, the tuned colour.
    void refresh();
    // LEDs, status panels and the tray tip (polled; they change in the tick and the servers).
    void refreshIndicators();

    void showFrequencyDigits(uint32_t hz);

    // "cntr": the wide list; the window is widened by the next size change.
    void applyCntrLayout();
    // The sizing rule: every change refused except the one after "cntr". True when accepted.
    bool requestSizeChange(QSize wanted);

    // Notification area (or a plain minimise when there is none).
    void hideToTray();
    void restoreFromTray();
    bool trayAvailable() const { return trayAvailable_; }
    void setTrayAvailable(bool available) { trayAvailable_ = available; } // tests
    QSystemTrayIcon* trayIcon() const { return tray_; }

    // The program ends: the close box closes without asking again.
    void allowClose() { closeAllowed_ = true; }

    QWidget* memo1() const { return memo1_; }

    // The handlers of the controls.
    void BitBtn1Click();
    void BitBtn4Click();
    void sblistClick();
    void sbudpoutClick(bool down);
    void sbudpClick();
    void sbhelpClick();
    void sbmodesClick();
    void sbmodeacClick();
    void butuneragcClick();
    void burtlagcClick();
    void cbgainChange(int index);
    void tbgainChange(int position);
    void sbsisexClick(bool down);
    // MODE-AC went down: the explorer is hidden.
    void hideExplorer();

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    template <typename T>
    T* control(const char* name) const;
    void connectControls();
    void makeTray();

    Engine& engine_;
    Settings& settings_;
    DeviceControl* device_ = nullptr;
    Hooks hooks_;
    ExplorerLink explorer_;
    QWidget* memo1_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    bool trayAvailable_ = false;
    bool closeAllowed_ = false;
    QTimer indicators_;
    TALed* leds_[11] = {}; // ALed1..ALed10
    StatusPanelsBar* statusBar_ = nullptr;
};

} // namespace varnock
