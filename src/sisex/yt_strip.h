// The Y-t strip: amplitude along the marked rows, the measuring cursors, and a Mode A/C reply read from it.
#pragma once

#include "sisex/page_geometry.h"
#include "sisex/rgb_image.h"

#include <array>
#include <string>

namespace varnock::sisex {

inline constexpr int kStripWidth = 1000;
inline constexpr int kStripHeight = 100;
inline constexpr Rgb kAqua{0, 255, 255};
inline constexpr Rgb kMagenta{255, 0, 255};
inline constexpr Rgb kStripGrey{128, 128, 128};

// Y span track bar position 5..8 -> the value shown at the strip's top: (13 - position)^2.
int stripSpan(int position);
// The four span labels beside the strip, top first: S, 3S/4, S/2, S/4 rounded halves to even.
std::array<int, 4> spanLabels(int position);

struct StripState {
    const uint16_t* page = nullptr;
    Marker white;
    Marker red;
    int span = 25;
    int squelch = 12;
    int aquaX = -1;
    int magentaX = -1;
};

// Draws the strip into `image`, whose height is the strip panel's height (nothing when it is 0).
void renderStrip(const StripState& state, RgbImage& image);
// The distance between the two cursors, "0.0125 ms", or empty unless both are placed.
std::string stripDistanceText(int aquaX, int magentaX);

struct ModeACReading {
    bool ok = false;
    int a = 0, b = 0, c = 0, d = 0;
    std::string modeA = "Mode A:";
    std::string modeC = "Mode C:";
    std::string code; // the four digits, for the pattern button's caption
};

// Reads a reply whose F1 lies at strip column x of the white marker's row, trying x, x + 2, x - 2.
ModeACReading readModeAC(const uint16_t* page, const Marker& white, int x, int squelch);

} // namespace varnock::sisex
