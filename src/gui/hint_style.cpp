// installHints: the tool-tip font and palette are application-wide, like the one hint window class.
#include "gui/hint_style.h"

#include <QApplication>
#include <QStyleFactory>
#include <QToolTip>

#include "gui/colour.h"
#include "gui/fonts.h"

namespace varnock {

int HintStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay) return kHintPauseMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void installHints()
{
    QToolTip::setFont(ocrFont(0, 10));
    QPalette pal = QToolTip::palette();
    pal.setColor(QPalette::ToolTipBase, colourOf(16776960)); // cyan
    pal.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(pal);
    // Fusion draws the same on every desktop; the proxy only changes the hint pause.
    QApplication::setStyle(new HintStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
}

} // namespace varnock
