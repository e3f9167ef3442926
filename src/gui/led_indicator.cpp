// TALed: pictures rendered once per colour change, blitted on paint; the blink only swaps them.
#include "gui/led_indicator.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "gui/colour.h"

namespace varnock {

TALed::TALed(QWidget* parent) : QWidget(parent)
{
    blinkTimer_.setInterval(kDefaultInterval);
    connect(&blinkTimer_, &QTimer::timeout, this, &TALed::swap);
    rebuild();
}

void TALed::setOn(bool on)
{
    if (on == on_) return;
    on_ = on;
    showingOn_ = on;
    if (on && blink_)
        blinkTimer_.start();
    else
        blinkTimer_.stop();
    update();
}

void TALed::swap()
{
    showingOn_ = !showingOn_;
    update();
}

void TALed::setOnColour(uint32_t value)
{
    if (value == onColour_) return;
    onColour_ = value;
    rebuild();
}

void TALed::setOffColour(uint32_t value)
{
    if (value == offColour_) return;
    offColour_ = value;
    rebuild();
}

void TALed::setStyle(Style s)
{
    style_ = s;
    rebuild();
}

void TALed::setBlink(bool blink, int intervalMs)
{
    blink_ = blink;
    blinkTimer_.setInterval(intervalMs);
    if (!blink) {
        blinkTimer_.stop();
        showingOn_ = on_;
        update();
    } else if (on_ && !blinkTimer_.isActive()) {
        blinkTimer_.start();
    }
}

QColor TALed::shownColour() const
{
    const QImage& img = showingOn_ ? onPicture_ : offPicture_;
    if (img.isNull()) return {};
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

void TALed::resizeEvent(QResizeEvent*) { rebuild(); }

QImage TALed::picture(uint32_t colour) const
{
    const QSize sz = size().isEmpty() ? QSize(22, 14) : size();
    QImage img(sz, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, style_ == Style::Round);
    const QColor c = colourOf(colour);
    if (style_ == Style::HorizontalBar) {
        // A flat bar in a dark bezel, lit from above.
        const QRect outer(0, 0, sz.width(), sz.height());
        p.fillRect(outer, QColor(40, 40, 40));
        const QRect bar = outer.adjusted(2, 3, -2, -3);
        QLinearGradient g(bar.topLeft(), bar.bottomLeft());
        g.setColorAt(0.0, c.lighter(135));
        g.setColorAt(0.3, c);
        g.setColorAt(0.7, c);
        g.setColorAt(1.0, c.darker(135));
        p.fillRect(bar, g);
    } else {
        const QRectF r(1, 1, sz.width() - 2, sz.height() - 2);
        QRadialGradient g(r.center(), r.width() / 2);
        g.setColorAt(0.0, c.lighter(140));
        g.setColorAt(1.0, c.darker(140));
        p.setBrush(g);
        p.setPen(QColor(40, 40, 40));
        p.drawEllipse(r);
    }
    return img;
}

void TALed::rebuild()
{
    onPicture_ = picture(onColour_);
    offPicture_ = picture(offColour_);
    update();
}

void TALed::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, showingOn_ ? onPicture_ : offPicture_);
}

} // namespace varnock
