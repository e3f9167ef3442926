// The picture rasteriser: the cells, grid strokes, marker crosses and Mode A pattern, pixel for pixel.
#include "sisex/render.h"

namespace varnock::sisex {

namespace {

constexpr int W = kPictureWidth;
constexpr int H = kPictureHeight;
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};

// Quads are given in y-up coordinates (0 at the bottom, as the picture was first laid out);
// a quad from y0 to y1 covers the pixel rows H - y1 .. H - y0 - 1 from the top.
void fillQuad(RgbImage& image, int x0, int y0Up, int x1, int y1Up, Rgb c)
{
    image.fillRect(x0, H - y1Up, x1, H - y0Up, c);
}

// A horizontal stroke at y (y-up) from x0 to x1 lights columns x0..x1-1 of the row below y.
void horizontalStroke(RgbImage& image, int x0, int x1, int yUp, Rgb c)
{
    image.fillRect(x0, H - yUp, x1, H - yUp + 1, c);
}

// A vertical stroke at x (y-up) from y0 to y1 lights rows y0..y1-1 of the column left of x.
void verticalStroke(RgbImage& image, int x, int y0Up, int y1Up, Rgb c)
{
    image.fillRect(x - 1, H - y1Up, x, H - y0Up, c);
}

void drawCross(RgbImage& image, const Marker& m, int position, Rgb c)
{
    if (m.ticks <= 0) return;
    const int64_t x = m.ticks - position * kTicksPerPosition;
    if (x < 0 || x > 64 * kTicksPerMs) return;
    const int a = int(2 * (x / kRowValues)); // pixel row of the marked screen row
    const int col = int(2 * (x % kRowValues));
    const int y = H - a;
    verticalStroke(image, col + 1, y - 5, y + 6, c);
    horizontalStroke(image, col - 5, col + 6, y, c);
}

void drawPattern(RgbImage& image, const std::string& code)
{
    auto pulse = [&](int x) { fillQuad(image, x, H - 8, x + 2, H - 4, kRed); };
    pulse(10);
    pulse(91);
    static const int kBitX[4][3] = {{22, 33, 45}, {56, 68, 80}, {16, 27, 39}, {62, 74, 85}};
    for (int digit = 0; digit < 4; ++digit) {
        const char ch = code[size_t(digit)];
        if (ch < '0' || ch > '7') continue;
        const int value = ch - '0';
        for (int bit = 0; bit < 3; ++bit)
            if (value & (1 << bit)) pulse(kBitX[digit][bit]);
    }
}

} // namespace

void overviewRow(const uint16_t* page, int r, int squelch, uint32_t out[kRowValues])
{
    for (int v = 0; v < kRowValues; ++v) out[v] = 0;
    for (int k = 0; k < kOverviewRowsPerCell; ++k) {
        const uint16_t* row = page + (size_t(r) * kOverviewRowsPerCell + size_t(k)) * kRowValues;
        for (int v = 0; v < kRowValues; ++v)
            if (row[v] >= squelch) out[v] += row[v];
    }
}

Rgb cellColour(uint32_t d, int contrast)
{
    if (d >= 231) return {255, 0, 0};
    if (d >= 193) return {127, 0, 0};
    if (d >= 129) return {127, 215, 0};
    if (d >= 65) return {127, 255, 128};
    const uint32_t g = d * uint32_t(contrast < 0 ? 0 : contrast);
    return {0, uint8_t(g > 255 ? 255 : g), 0};
}

void render(const PictureState& s, RgbImage& image)
{
    if (s.page == nullptr || image.width != W || image.height != H) return;
    image.fill(kClearColour);
    const uint32_t squelch = uint32_t(s.squelch < 0 ? 0 : s.squelch);
    const int position = s.position < 0 ? 0 : (s.position > kPositionMax ? kPositionMax : s.position);
    uint32_t row[kRowValues];
    for (int q = 0; q < kScreenRows; ++q) {
        if (s.zoom) {
            const uint16_t* src = s.page + (size_t(64) * size_t(position) + size_t(q)) * kRowValues;
            for (int v = 0; v < kRowValues; ++v) row[v] = src[v];
        } else {
            overviewRow(s.page, q, int(squelch), row);
        }
        // Screen row q fills pixel rows 2q - 2 and 2q - 1; row 0 lies just above the picture.
        if (q == 0) continue;
        uint8_t* line0 = &image.rgb[size_t(2 * q - 2) * W * 3];
        uint8_t* line1 = line0 + size_t(W) * 3;
        for (int v = 0; v < kRowValues; ++v) {
            if (row[v] <= squelch) continue;
            const Rgb c = cellColour(row[v], s.contrast);
            for (uint8_t* p : {line0 + 6 * v, line1 + 6 * v}) {
                p[0] = p[3] = c.r;
                p[1] = p[4] = c.g;
                p[2] = p[5] = c.b;
            }
        }
    }
    if (!s.zoom) {
        for (int k = 1; k <= 7; ++k) {
            const int y = 64 * k;
            horizontalStroke(image, 0, 20, y, kGridColour);
            horizontalStroke(image, W - 20, W, y, kGridColour);
            horizontalStroke(image, W / 2 - 10, W / 2 + 10, y, kGridColour);
            horizontalStroke(image, W / 4 - 10, W / 4 + 10, y, kGridColour);
            horizontalStroke(image, 3 * W / 4 - 10, 3 * W / 4 + 10, y, kGridColour);
        }
    } else {
        drawCross(image, s.white, position, kWhite);
        drawCross(image, s.red, position, kRed);
    }
    if (s.showPattern && s.patternCode.size() == 4) drawPattern(image, s.patternCode);
}

} // namespace varnock::sisex
