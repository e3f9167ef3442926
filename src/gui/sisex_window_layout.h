// The explorer window's controls as a table of rows (name, kind, place, caption, hint) and the builder.
#pragma once

#include <QWidget>

#include <span>

namespace varnock {

struct SisexRow {
    enum class Kind { Frame, Latch, Button, Label, Track, List, Edit };
    const char* name;
    Kind kind;
    const char* parent; // nullptr: the window
    int x, y, w, h;     // w, h 0: the label's own size
    const char* caption;
    const char* hint;
    int lo = 0, hi = 0, tick = 0; // track bars
};

inline constexpr int kSisexWidth = 1165;
inline constexpr int kSisexTallHeight = 655;
inline constexpr int kSisexShortHeight = 555;
inline constexpr int kSisexStripHeight = 100;

std::span<const SisexRow> sisexRows();
std::span<const int> sisexStatusWidths();

// Builds every row's widget under `form`, named by the row (jump buttons "bu0" ... "bu95" too).
void buildSisexControls(QWidget* form);

} // namespace varnock
