// The drawing rules of one list line and their rendering onto a fixed 7-pixel character grid.
#pragma once

#include <QImage>
#include <QRgb>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnock {

struct TFlight;

// Everything that decides the pixels of one item: equal looks draw equal pixels, so a view can
// skip items whose look has not changed.
struct LineLook {
    enum Kind : uint8_t { Empty, Text, Bar };
    Kind kind = Empty;
    QRgb fg = 0;
    QRgb bar = 0;     // Bar only: the background of its cells
    int barChars = 0; // Bar only: cells filled with `bar`
    int yShift = 0;   // the header sits one pixel higher
    int segFrom = 0;  // characters [segFrom, segTo) drawn in segFg
    int segTo = 0;
    QRgb segFg = 0;
    std::string text; // the characters drawn, after the "#" cut and the length limits

    bool operator==(const LineLook&) const = default;
};

// The state of the window that changes how lines look.
struct ListDrawState {
    bool plainOnly = false; // "List" or "MODE-AC" down: everything lime
    bool frozen = false;
    int listWidth = 371;
};

// How line `index` with `text` looks; `rec` is the aircraft record attached to it, if any.
LineLook lineLook(std::string_view text, int index, const TFlight* rec, const ListDrawState& state);

class ListPainter {
public:
    static constexpr int kItemHeight = 14;
    static constexpr int kCharWidth = 7;
    static constexpr int kTextHeight = 13; // the opaque cell under each character
    static constexpr int kMaxChars = 255;
    static QRgb background();

    // Renders the character masks once; needs the GUI application to exist.
    ListPainter();

    // Draws one item across the whole width of `img` (Format_RGB32) with its top row at `top`.
    void draw(QImage& img, int top, const LineLook& look) const;

private:
    // A glyph may reach one pixel into the next cell, as proportional rendering of a 6.6-pixel
    // font on a 7-pixel grid does.
    static constexpr int kMaskWidth = kCharWidth + 1;
    using Mask = std::array<uint8_t, kMaskWidth * kTextHeight>;
    void drawChars(QImage& img, int top, const LineLook& look) const;
    std::array<Mask, 256> glyphs_{};
};

} // namespace varnock
