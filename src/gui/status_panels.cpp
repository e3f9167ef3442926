// StatusPanels: texts are only repainted when one changes.
#include "gui/status_panels.h"

#include <QPainter>

#include <algorithm>

namespace varnock {

StatusPanelsBar::StatusPanelsBar(std::vector<int> widths, QWidget* parent)
    : QWidget(parent), widths_(std::move(widths)), texts_(widths_.size())
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192)); // silver
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
}

void StatusPanelsBar::setPanelText(int index, const QString& text)
{
    if (index < 0 || index >= panelCount() || texts_[static_cast<std::size_t>(index)] == text) return;
    texts_[static_cast<std::size_t>(index)] = text;
    update();
}

QString StatusPanelsBar::panelText(int index) const
{
    if (index < 0 || index >= panelCount()) return {};
    return texts_[static_cast<std::size_t>(index)];
}

void StatusPanelsBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    int x = 0;
    const int h = height();
    for (std::size_t i = 0; i < widths_.size(); ++i) {
        // The last panel takes what is left, as a status bar's last panel does.
        const int w = i + 1 == widths_.size() ? std::max(widths_[i], width() - x) : widths_[i];
        const QRect r(x, 2, w - 2, h - 3);
        p.setPen(QColor(128, 128, 128));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(Qt::white);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(Qt::black);
        p.drawText(r.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, texts_[i]);
        x += w;
    }
}

} // namespace varnock
