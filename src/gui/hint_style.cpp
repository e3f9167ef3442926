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
    // The style first: setting one resets the application's per-class fonts and palettes.
    QApplication::setStyle(new HintStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    QToolTip::setFont(ocrFont(0, 10));
    QPalette pal = QToolTip::palette();
    pal.setColor(QPalette::ToolTipBase, colourOf(16776960)); // cyan
    pal.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(pal);
}

} // namespace varnock
