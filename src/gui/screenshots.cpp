// Screenshots: QWidget::grab() renders the window itself, so no screen-capture tool is needed.
#include "gui/screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "gui/main_window.h"

namespace varnock {

QStringList grabWindows(const QString& dir, const QString& suffix)
{
    QDir().mkpath(dir);
    QStringList written;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->isMinimized()) continue;
        QString name = w->objectName() == QLatin1String("TForm1") ? QStringLiteral("main") : w->objectName();
        if (name.isEmpty()) name = QStringLiteral("window");
        const QString file = dir + QLatin1Char('/') + name + QLatin1Char('-') + suffix + QStringLiteral(".png");
        if (w->grab().save(file))
            written << file;
        else
            std::fprintf(stderr, "varnock: cannot write %s\n", qPrintable(file));
    }
    return written;
}

void scheduleScreenshots(MainWindow& window, const QString& dir, int afterMs, int tableMs, std::function<void()> done)
{
    QPointer<MainWindow> w(&window);
    QTimer::singleShot(afterMs, &window, [w, dir, tableMs, done] {
        for (const QString& f : grabWindows(dir, QStringLiteral("packets"))) std::printf("%s\n", qPrintable(f));
        std::fflush(stdout);
        if (auto* list = w->findChild<QAbstractButton*>(QStringLiteral("sblist")); list != nullptr && list->isChecked())
            list->click();
        QTimer::singleShot(tableMs, w, [dir, done] {
            for (const QString& f : grabWindows(dir, QStringLiteral("aircraft"))) std::printf("%s\n", qPrintable(f));
            std::fflush(stdout);
            if (done) done();
        });
    });
}

} // namespace varnock
