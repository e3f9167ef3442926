// Tfosis: the signals-in-space explorer window - shows the Explorer's state and forwards input to it.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

#include "sisex/explorer.h"

class QListWidget;

namespace varnock {

class SisexPicture;
class SisexStrip;
class StatusPanelsBar;
struct Settings;

class Tfosis final : public QWidget, public sisex::ExplorerUi {
    Q_OBJECT

public:
    // `settings` holds the window position in and out; both must outlive the window.
    Tfosis(sisex::Explorer& explorer, Settings& settings, QWidget* parent = nullptr);

    // "SISEX>>" down: live recording from an empty ring, the window shown; up: hidden.
    void openFromMainWindow();
    void hideFromMainWindow();
    // The main window went to the notification area and came back.
    void hideWithMainWindow();
    void showWithMainWindow();
    // The main window repainted: the display is drawn again (once per turn of the event loop).
    void requestRedraw();

    // The user closed the window ("SISEX>>" is released by this).
    std::function<void()> onClosed;
    // Message boxes replaced (tests); empty: real boxes.
    std::function<bool(const std::string&)> ask;
    std::function<void(const std::string&)> error;

    // Everything the state decides: caption, buttons, track bars, labels, status bar, panels.
    void refresh();

    // ExplorerUi
    bool askYesNo(const std::string& text, const std::string& caption) override;
    void redraw() override;
    void repaintNow() override;
    void errorBox(const std::string& text) override;

    // The key actions (the window sees every key first); true when the key was used.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    // sbscreen: left BMP, right JPG; the file written, or empty.
    QString screenshot(sisex::MouseButton button);

    sisex::Explorer& explorer() { return explorer_; }
    SisexPicture* picture() const { return picture_; }
    SisexStrip* strip() const { return strip_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    template <typename T>
    T* control(const char* name) const;
    void connectControls();
    void setTallLayout(bool tall);
    void fillDirectoryList();
    void showStatisticsMenu(const QPoint& at);

    sisex::Explorer& explorer_;
    Settings& settings_;
    SisexPicture* picture_ = nullptr;
    SisexStrip* strip_ = nullptr;
    StatusPanelsBar* statusBar_ = nullptr;
    QListWidget* statsList_ = nullptr;
    QTimer redrawSoon_;
    bool tall_ = true;
    bool hiddenWithMain_ = false;
};

} // namespace varnock
