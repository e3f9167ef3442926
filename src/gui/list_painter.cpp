// List line looks (header bar, fading, emergency, ACAS, climb/descent, SPI/alert/ident segments) and
// their rendering from pre-rendered character masks, so a repaint is plain integer pixel work.
#include "gui/list_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "core/flight.h"
#include "gui/colour.h"

namespace varnock {

namespace {

QRgb rgbOf(uint32_t value) { return colourOf(value).rgb(); }

const QRgb kLime = rgbOf(65280);
const QRgb kSilver = rgbOf(12632256);
const QRgb kRed = rgbOf(255);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kCyan = rgbOf(16776960);
const QRgb kClimbOrange = rgbOf(29928);
const QRgb kSpiYellow = rgbOf(65535);
const QRgb kAlertOrange = rgbOf(28895);
const QRgb kIdentPink = rgbOf(16744703);
const QRgb kBarRunning = qRgb(0, 0, 106);
const QRgb kBarFrozen = qRgb(128, 0, 0);

void cut(std::string& s, std::size_t n)
{
    if (s.size() > n) s.resize(n);
}

// Latin-1 for what the font has; a hollow box where the font has nothing (control codes),
// as the platform's text output shows them.
bool drawnAsBox(int c) { return c < 32 || (c >= 127 && c < 160); }

inline QRgb mix(QRgb bg, QRgb fg, unsigned a)
{
    if (a == 255) return fg;
    const unsigned b = 255 - a;
    const unsigned r = (qRed(fg) * a + qRed(bg) * b + 127) / 255;
    const unsigned g = (qGreen(fg) * a + qGreen(bg) * b + 127) / 255;
    const unsigned bl = (qBlue(fg) * a + qBlue(bg) * b + 127) / 255;
    return qRgb(int(r), int(g), int(bl));
}

void fillRows(QImage& img, int y0, int y1, int x0, int x1, QRgb colour)
{
    y0 = std::max(y0, 0);
    y1 = std::min(y1, img.height());
    x0 = std::max(x0, 0);
    x1 = std::min(x1, img.width());
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        std::fill(row + x0, row + x1, colour);
    }
}

} // namespace

QRgb ListPainter::background() { return rgbOf(2434341); }

LineLook lineLook(std::string_view text, int index, const TFlight* rec, const ListDrawState& state)
{
    LineLook look;
    // Sorted lines carry their sort key in front of the first "#".
    if (const std::size_t hash = text.find('#'); hash != std::string_view::npos) {
        text.remove_prefix(hash + 1);
        if (text.empty()) return look;
    }
    look.kind = LineLook::Text;
    look.fg = kLime;
    look.text.assign(text.substr(0, ListPainter::kMaxChars));
    if (state.plainOnly) return look;

    const int wholeWidth = std::max(state.listWidth, 0) / ListPainter::kCharWidth + 1;
    if (index == 0) {
        look.kind = LineLook::Bar;
        look.yShift = -1;
        look.fg = kSilver;
        look.bar = state.frozen ? kBarFrozen : kBarRunning;
        look.barChars = wholeWidth;
        cut(look.text, static_cast<std::size_t>(wholeWidth));
        return look;
    }
    if (!rec) return look;

    if (rec->timeout < 15) {
        // A record about to be removed fades towards the background.
        const int grey = std::clamp(108 + 6 * rec->timeout, 0, 255);
        look.fg = qRgb(grey, grey, grey);
    } else if (rec->emergency > 0) {
        look.kind = LineLook::Bar;
        look.fg = kWhite;
        look.bar = kRed;
        look.barChars = wholeWidth;
        cut(look.text, static_cast<std::size_t>(wholeWidth));
        return look;
    } else if (rec->acas > 0) {
        look.fg = kRed;
        return look;
    } else if (rec->vrate > kUnknownAlt) {
        if (rec->vrate > 200)
            look.fg = kCyan;
        else if (rec->vrate < -200)
            look.fg = kClimbOrange;
    }

    if (rec->spi > 0 || rec->alert > 0) {
        look.segFrom = 37;
        look.segTo = 41;
        look.segFg = rec->spi > 0 ? kSpiYellow : kAlertOrange;
        cut(look.text, 51);
    } else if (rec->icflag > 0) {
        look.segFrom = 0;
        look.segTo = 6;
        look.segFg = kIdentPink;
        cut(look.text, 50);
    }
    if (look.segTo > static_cast<int>(look.text.size())) look.segTo = static_cast<int>(look.text.size());
    if (look.segFrom >= look.segTo) look.segFrom = look.segTo = 0;
    return look;
}

ListPainter::ListPainter()
{
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(11);
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics fm(font);
    const int baseline = std::min(fm.ascent(), kTextHeight - 2);

    QImage cell(kMaskWidth, kTextHeight, QImage::Format_ARGB32_Premultiplied);
    for (int c = 0; c < 256; ++c) {
        Mask& mask = glyphs_[static_cast<std::size_t>(c)];
        if (drawnAsBox(c)) {
            for (int y = 2; y <= baseline; ++y)
                for (int x = 1; x <= 5; ++x)
                    if (y == 2 || y == baseline || x == 1 || x == 5) mask[std::size_t(y * kMaskWidth + x)] = 255;
            continue;
        }
        cell.fill(Qt::transparent);
        {
            QPainter p(&cell);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QPoint(1, baseline), QString(QChar(c)));
        }
        for (int y = 0; y < kTextHeight; ++y)
            for (int x = 0; x < kMaskWidth; ++x)
                mask[std::size_t(y * kMaskWidth + x)] = static_cast<uint8_t>(qAlpha(cell.pixel(x, y)));
    }
}

void ListPainter::draw(QImage& img, int top, const LineLook& look) const
{
    fillRows(img, top, top + kItemHeight, 0, img.width(), background());
    if (look.kind == LineLook::Empty) return;
    if (look.kind == LineLook::Bar) {
        const int y = top + look.yShift;
        fillRows(img, y, y + kTextHeight, 0, look.barChars * kCharWidth, look.bar);
    }
    drawChars(img, top + look.yShift, look);
}

void ListPainter::drawChars(QImage& img, int top, const LineLook& look) const
{
    const int n = std::min(static_cast<int>(look.text.size()), (img.width() + kCharWidth - 1) / kCharWidth);
    const int y0 = std::max(top, 0), y1 = std::min(top + kTextHeight, img.height());
    const QRgb bg = look.kind == LineLook::Bar ? look.bar : background();
    for (int k = 0; k < n; ++k) {
        const auto c = static_cast<unsigned char>(look.text[static_cast<std::size_t>(k)]);
        if (c == ' ') continue;
        const QRgb fg = (k >= look.segFrom && k < look.segTo) ? look.segFg : look.fg;
        const Mask& mask = glyphs_[c];
        const int x0 = k * kCharWidth, x1 = std::min(x0 + kMaskWidth, img.width());
        for (int y = y0; y < y1; ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            const uint8_t* m = &mask[std::size_t((y - top) * kMaskWidth)];
            for (int x = x0; x < x1; ++x)
                if (const unsigned a = m[x - x0]) row[x] = mix(bg, fg, a);
        }
    }
}

} // namespace varnock
