// Home location picture: a sketch of a position read-out with arrows to the latitude and longitude fields.
#include "gui/home_picture.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include "gui/colour.h"
#include "gui/dialog_font.h"

namespace varnock {

namespace {

// The fields sit over the picture's right part; rows line up with them.
constexpr int kFieldsLeft = 181;
constexpr int kLatRowTop = 33;
constexpr int kLonRowTop = 63;
constexpr int kRowHeight = 21;

void drawArrow(QPainter& p, int x0, int x1, int y)
{
    p.drawLine(x0, y, x1 - 5, y);
    QPainterPath head;
    head.moveTo(x1, y);
    head.lineTo(x1 - 6, y - 4);
    head.lineTo(x1 - 6, y + 4);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

QImage drawPicture()
{
    QImage im(HomePicture::kWidth, HomePicture::kHeight, QImage::Format_RGB32);
    im.fill(colourOf(0xF0F0F0));
    QPainter p(&im);

    // A small read-out window of a map program.
    const QRect frame(6, 4, 150, 84);
    p.fillRect(frame, colourOf(0xFFFFFF));
    p.fillRect(QRect(frame.left(), frame.top(), frame.width(), 16), colourOf(0x6A240A)); // dark blue title
    p.setPen(colourOf(0x808080));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    p.setFont(dialogFont(true));
    p.setPen(colourOf(0xFFFFFF));
    p.drawText(QRect(frame.left() + 5, frame.top(), frame.width() - 10, 16), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Home location"));

    p.setFont(dialogFont());
    const struct {
        const char* label;
        const char* value;
        int top;
    } rows[] = {{"Latitude", "N51 28.500", kLatRowTop}, {"Longitude", "E007 12.250", kLonRowTop}};
    for (const auto& r : rows) {
        const QRect row(frame.left() + 5, r.top, 62, kRowHeight);
        p.setPen(colourOf(0x000000));
        p.drawText(row, Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(r.label));
        const QRect value(frame.left() + 64, r.top + 2, 80, kRowHeight - 4);
        p.fillRect(value, colourOf(0xE6FFFF)); // pale yellow: the text to copy
        p.setPen(colourOf(0x808080));
        p.drawRect(value.adjusted(0, 0, -1, -1));
        p.setPen(colourOf(0x000080)); // maroon
        p.drawText(value.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(r.value));
        p.setPen(QPen(colourOf(0x0000C0), 2));
        drawArrow(p, frame.right() + 3, kFieldsLeft - 3, r.top + kRowHeight / 2);
    }
    return im;
}

} // namespace

HomePicture::HomePicture(QWidget* parent) : QWidget(parent), image_(drawPicture())
{
    setFixedSize(kWidth, kHeight);
}

void HomePicture::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawImage(event->rect(), image_, event->rect());
}

} // namespace varnock
