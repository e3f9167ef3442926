// The main window's controls as a table of rows (name, kind, place, caption, hint) and the builder.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>

namespace varnock {

struct MainWindowRow {
    enum class Kind {
        Panel,      // lowered frame
        Digit,      // frequency digit label
        Label,      // static text
        Group,      // group box with title
        Latch,      // latching (checkable) button
        Button,     // push button
        Help,       // the help button (a "?" face)
        Colour,     // the START/STOP button
        Bevel,      // raised frame
        List,       // the list memo1 (made by the list factory)
        Led,        // TALed
        TrackBar,
        Combo,
        StatusBar,
        Hidden,     // placed but never shown (buttons without an action)
    };
    const char* name;
    Kind kind;
    const char* parent; // nullptr: the window
    int x, y, w, h;
    const char* caption;
    const char* hint;
    uint32_t colour = 0; // LEDs: on colour
    bool blink = false;  // LEDs
};

inline constexpr int kClientWidth = 383;
inline constexpr int kClientHeight = 547;
inline constexpr int kCntrWidth = 878;

std::span<const MainWindowRow> mainWindowRows();

// The status bar's panel widths.
std::span<const int> statusPanelWidths();

// Builds every row's widget under `form`, named by the row (objectName). `makeList` builds memo1.
void buildMainWindowControls(QWidget* form, const std::function<QWidget*(QWidget* parent)>& makeList);

} // namespace varnock
