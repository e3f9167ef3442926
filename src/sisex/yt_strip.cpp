// The Y-t strip rasteriser and the Mode A/C reading of a reply picked on it.
#include "sisex/yt_strip.h"

#include "demod/modeac_counts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace varnock::sisex {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};

void drawLine(RgbImage& image, int x0, int y0, int x1, int y1, Rgb c)
{
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        image.set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void drawTrace(RgbImage& image, const uint16_t* page, const Marker& m, int span, Rgb c)
{
    const int h = image.height;
    const int width = std::min(image.width, kStripWidth);
    for (int x = 0; x < width; ++x) {
        const int v = valueAt(page, mouseTicks(x, m.stripY, m.position));
        const int len = int(roundHalfEven(int64_t(v) * h, span));
        image.fillRect(x, std::max(0, h - len), x + 1, h, c);
    }
}

void drawCursor(RgbImage& image, int x, Rgb c)
{
    if (x <= 0) return;
    image.fillRect(x, 10, x + 1, image.height, c);
    drawLine(image, x, 10, x - 5, 0, c);
    drawLine(image, x - 5, 0, x + 5, 0, c);
    drawLine(image, x + 5, 0, x, 10, c);
}

} // namespace

int stripSpan(int position)
{
    const int p = std::clamp(position, 5, 8);
    return (13 - p) * (13 - p);
}

std::array<int, 4> spanLabels(int position)
{
    const int s = stripSpan(position);
    return {s, int(roundHalfEven(3 * s, 4)), int(roundHalfEven(s, 2)), int(roundHalfEven(s, 4))};
}

void renderStrip(const StripState& s, RgbImage& image)
{
    const int h = image.height;
    if (h <= 0) return;
    image.fill(kBlack);
    for (int x = 100; x <= 900; x += 100) {
        image.fillRect(x, 0, x + 1, 10, kStripGrey);
        image.fillRect(x, h - 10, x + 1, h, kStripGrey);
    }
    for (int k = 1; k <= 3; ++k) {
        const int y = int(roundHalfEven(int64_t(k) * h, 4));
        for (int x = 0; x < image.width; x += 2) image.set(x, y, kStripGrey);
    }
    const int span = s.span > 0 ? s.span : 1;
    if (s.page != nullptr) {
        if (s.white.isSet()) drawTrace(image, s.page, s.white, span, kWhite);
        if (s.red.isSet()) drawTrace(image, s.page, s.red, span, kRed);
    }
    drawCursor(image, s.aquaX, kAqua);
    drawCursor(image, s.magentaX, kMagenta);
    const int y = h - int(roundHalfEven(int64_t(s.squelch) * h, span));
    if (y >= 0 && y < h) image.fillRect(0, y, image.width, y + 1, kAqua);
}

std::string stripDistanceText(int aquaX, int magentaX)
{
    if (aquaX <= 0 || magentaX <= 0) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.15g ms", std::abs(magentaX - aquaX) / 4000.0);
    return buf;
}

ModeACReading readModeAC(const uint16_t* page, const Marker& white, int x, int squelch)
{
    ModeACReading r;
    if (page == nullptr || !white.isSet()) return r;
    for (const int start : {x, x + 2, x - 2}) {
        int s[43];
        for (int j = 0; j < 43; ++j) s[j] = valueAt(page, mouseTicks(start + 2 * j, white.stripY, white.position));
        // Reply pulses every 1.45 us fall between the 0.5 us samples: weigh the two nearest.
        bool present[15];
        present[0] = (7 * s[0] + s[1]) / 8 > squelch;
        for (int k = 1; k <= 14; ++k) {
            const int p = k <= 7 ? (2 * s[3 * k - 1] + 6 * s[3 * k]) / 8 : (6 * s[3 * k - 1] + 2 * s[3 * k]) / 8;
            present[k] = p > squelch;
        }
        if (!present[0] || !present[14] || present[7]) continue;
        // P1..P13: C1 A1 C2 A2 C4 A4 X B1 D1 B2 D2 B4 D4.
        auto bit = [&](int k) { return present[k] ? 1 : 0; };
        r.ok = true;
        r.a = 4 * bit(6) + 2 * bit(4) + bit(2);
        r.b = 4 * bit(12) + 2 * bit(10) + bit(8);
        r.c = 4 * bit(5) + 2 * bit(3) + bit(1);
        r.d = 4 * bit(13) + 2 * bit(11) + bit(9);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d%d%d%d", r.a, r.b, r.c, r.d);
        r.code = buf;
        r.modeA = "Mode A: " + r.code;
        bool valid = false;
        const int altitude = modeCAltitude(r.a, r.b, r.c, r.d, valid);
        if (valid) {
            std::snprintf(buf, sizeof buf, "%03d", modeCFlightLevel(altitude));
            r.modeC = std::string("Mode C: FL") + buf;
        } else {
            r.modeC = "Mode C: ---";
        }
        return r;
    }
    return r;
}

} // namespace varnock::sisex
