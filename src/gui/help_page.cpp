// Help page lookup: beside the program in the build tree, under share/ once installed.
#include "gui/help_page.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace varnock {

QString helpPageFile(const QString& programDir)
{
    const QString dir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    for (const QString& rel : {QStringLiteral("/help/varnock.html"), QStringLiteral("/../share/varnock/help/varnock.html")}) {
        const QFileInfo f(dir + rel);
        if (f.isFile()) return f.canonicalFilePath();
    }
    return {};
}

bool openHelpPage()
{
    const QString file = helpPageFile();
    return !file.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace varnock
