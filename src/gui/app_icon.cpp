// appIcon: a lime radar sweep on dark blue, in the window's colours.
#include "gui/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace varnock {

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
        p.setBrush(QColor(0, 0, 60));
        p.setPen(QPen(QColor(0, 255, 0), size / 16.0 + 0.5));
        p.drawEllipse(r);
        p.drawEllipse(r.adjusted(size * 0.25, size * 0.25, -size * 0.25, -size * 0.25));
        p.drawLine(r.center(), QPointF(r.right() - size * 0.15, r.top() + size * 0.2));
        p.setBrush(QColor(255, 255, 0));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(size * 0.68, size * 0.62), size * 0.08, size * 0.08);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace varnock
