// SisexPicture: render() into a plain RGB picture, copied once per draw into the QImage that paint shows.
#include "gui/sisex_picture.h"

#include <QMouseEvent>
#include <QPainter>

#include "gui/rgb_blit.h"

namespace varnock {

bool explorerButton(Qt::MouseButton b, sisex::MouseButton& out)
{
    switch (b) {
    case Qt::LeftButton: out = sisex::MouseButton::Left; return true;
    case Qt::RightButton: out = sisex::MouseButton::Right; return true;
    case Qt::MiddleButton: out = sisex::MouseButton::Middle; return true;
    default: return false;
    }
}

SisexPicture::SisexPicture(QWidget* parent)
    : QWidget(parent), rgb_(sisex::kPictureWidth, sisex::kPictureHeight, sisex::kClearColour)
{
    setObjectName(QStringLiteral("Image1"));
    setFixedSize(sisex::kPictureWidth, sisex::kPictureHeight);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    copyRgbInto(rgb_, image_);
}

void SisexPicture::draw(const sisex::PictureState& state)
{
    if (state.page == nullptr) return;
    sisex::render(state, rgb_);
    copyRgbInto(rgb_, image_);
    update();
}

void SisexPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void SisexPicture::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (onMove) onMove(at.x(), at.y());
}

void SisexPicture::mousePressEvent(QMouseEvent* e)
{
    sisex::MouseButton b;
    const QPoint at = e->position().toPoint();
    if (explorerButton(e->button(), b) && onPress) onPress(b, at.x(), at.y());
}

} // namespace varnock
