// The explorer's picture: one page as coloured 2 x 2 cells, overview grid, marker crosses, Mode A pattern.
#pragma once

#include "sisex/page_geometry.h"
#include "sisex/rgb_image.h"

#include <cstdint>
#include <string>

namespace varnock::sisex {

// The colour the picture starts with and shows where no cell is drawn (a dark blue).
inline constexpr Rgb kClearColour{0, 0, 60};
inline constexpr Rgb kGridColour{96, 96, 128};

struct PictureState {
    const uint16_t* page = nullptr; // null: nothing is drawn, the picture keeps what it showed
    bool zoom = false;
    int position = 0; // page position track bar, used with zoom on
    int contrast = 4;
    int squelch = 12;
    Marker white;
    Marker red;
    bool showPattern = false;  // the Mode A pattern button is down
    std::string patternCode;   // its caption
};

// Overview row r (0..255): for each column the sum over page rows 8r..8r+7 of the values not
// below the squelch.
void overviewRow(const uint16_t* page, int r, int squelch, uint32_t out[kRowValues]);

// Cell colour of a shown value d above the squelch.
Rgb cellColour(uint32_t d, int contrast);

// Draws the picture into a kPictureWidth x kPictureHeight image. Strokes that lie on a pixel
// boundary light the pixel row below and the pixel column to the left of it.
void render(const PictureState& state, RgbImage& image);

} // namespace varnock::sisex
