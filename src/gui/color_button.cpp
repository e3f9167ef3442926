// ColorButton: both faces (up and pressed) are rendered once per change and blitted on paint.
#include "gui/color_button.h"

#include <QEvent>
#include <QPainter>

#include "gui/colour.h"

namespace varnock {

ColorButton::ColorButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void ColorButton::setFaceColour(uint32_t value)
{
    face_ = value;
    invalidate();
}

void ColorButton::setShadowColour(uint32_t value)
{
    shadow_ = value;
    invalidate();
}

void ColorButton::setTextColour(uint32_t value)
{
    text_ = value;
    invalidate();
}

void ColorButton::setShadowDepth(int depth)
{
    depth_ = depth;
    invalidate();
}

void ColorButton::changeEvent(QEvent* e)
{
    QAbstractButton::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::EnabledChange) invalidate();
}

void ColorButton::resizeEvent(QResizeEvent*) { invalidate(); }

void ColorButton::invalidate()
{
    // The caption is set after the colours; render lazily so it is never stale.
    up_ = QImage();
    down_ = QImage();
    update();
}

namespace {

QImage face(QSize sz, const QColor& faceColour, const QColor& shadow, const QColor& text, int depth,
            const QFont& font, const QString& caption, bool down, bool enabled)
{
    QImage img(sz, QImage::Format_RGB32);
    img.fill(faceColour);
    QPainter p(&img);
    const QRect r(0, 0, sz.width(), sz.height());
    // Raised bevel, sunk while pressed.
    const QColor light = faceColour.lighter(160), dark = faceColour.darker(200);
    p.setPen(down ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(0, 0, -1, -1));

    QRect textRect = r;
    if (down) textRect.translate(1, 1);
    p.setFont(font);
    if (depth > 0 && depth < sz.width()) {
        p.setPen(shadow);
        p.drawText(textRect.translated(depth, depth), Qt::AlignCenter, caption);
    }
    p.setPen(enabled ? text : QColor(128, 128, 128));
    p.drawText(textRect, Qt::AlignCenter, caption);
    return img;
}

} // namespace

void ColorButton::paintEvent(QPaintEvent*)
{
    const bool down = isDown();
    QImage& img = down ? down_ : up_;
    QString& caption = down ? downCaption_ : upCaption_;
    if (img.isNull() || img.size() != size() || caption != text()) {
        img = face(size(), colourOf(face_), colourOf(shadow_), colourOf(text_), depth_, font(), text(), down,
                   isEnabled());
        caption = text();
    }
    QPainter p(this);
    p.drawImage(0, 0, img);
}

} // namespace varnock
