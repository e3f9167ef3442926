// SisexStrip: renderStrip() into a plain RGB picture; the distance text is painted on the cached copy.
#include "gui/sisex_strip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "gui/rgb_blit.h"
#include "gui/sisex_picture.h"

namespace varnock {

SisexStrip::SisexStrip(QWidget* parent) : QWidget(parent), rgb_(sisex::kStripWidth, sisex::kStripHeight)
{
    setObjectName(QStringLiteral("ytimage"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    copyRgbInto(rgb_, image_);
}

void SisexStrip::draw(const sisex::StripState& state)
{
    const int h = std::min(height(), sisex::kStripHeight);
    if (h <= 0) return;
    if (rgb_.height != h) rgb_ = sisex::RgbImage(sisex::kStripWidth, h);
    sisex::renderStrip(state, rgb_);
    copyRgbInto(rgb_, image_);
    const std::string distance = sisex::stripDistanceText(state.aquaX, state.magentaX);
    if (!distance.empty()) {
        QPainter p(&image_);
        p.setPen(Qt::white);
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPointSize(8);
        p.setFont(f);
        p.drawText(2, 10, QString::fromStdString(distance));
    }
    update();
}

void SisexStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(0, 0, image_);
}

void SisexStrip::mousePressEvent(QMouseEvent* e)
{
    sisex::MouseButton b;
    if (explorerButton(e->button(), b) && onPress) onPress(b, e->position().toPoint().x());
}

} // namespace varnock
