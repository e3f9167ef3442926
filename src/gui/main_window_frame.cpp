// MainWindow's frame: the sizing rule, the notification-area icon, the close box and the position.
#include "gui/main_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMoveEvent>
#include <QWindowStateChangeEvent>

#include "app/engine.h"
#include "app/settings.h"
#include "gui/app_icon.h"
#include "gui/list_view.h"
#include "gui/main_window_layout.h"

namespace varnock {

void MainWindow::applyCntrLayout()
{
    if (auto* bevel = findChild<QWidget*>(QStringLiteral("Bevel1"))) bevel->resize(861, bevel->height());
    if (memo1_ != nullptr) {
        if (auto* list = qobject_cast<ListView*>(memo1_)) list->applyCntrLayout();
        memo1_->resize(860, memo1_->height());
    }
    // The widening is the next size change; START sets cntrWiden and lets events run.
    QMetaObject::invokeMethod(
        this, [this] { requestSizeChange(QSize(kCntrWidth, height())); }, Qt::QueuedConnection);
}

bool MainWindow::requestSizeChange(QSize wanted)
{
    CommandLineOptions& o = engine_.options();
    if (!o.cntrWiden) return false;
    o.cntrWiden = false;
    setFixedSize(kCntrWidth, wanted.height());
    if (auto* bar = findChild<QWidget*>(QStringLiteral("StatusBar1")))
        bar->setGeometry(0, height() - bar->height(), width(), bar->height());
    repaint();
    return true;
}

void MainWindow::makeTray()
{
    const QIcon icon = appIcon();
    setWindowIcon(icon);
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    tray_ = new QSystemTrayIcon(icon, this);
    tray_->setToolTip(QStringLiteral("VARNOCK"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::Context) restoreFromTray();
    });
}

void MainWindow::hideToTray()
{
    if (!trayAvailable_) {
        showMinimized();
        return;
    }
    engine_.receiver().controls.mainWindowVisible = false;
    hide();
    tray_->show();
    if (explorer_.withTray) explorer_.withTray(true);
}

void MainWindow::restoreFromTray()
{
    engine_.receiver().controls.mainWindowVisible = true;
    showNormal();
    tray_->hide();
    raise();
    activateWindow();
    if (explorer_.withTray) explorer_.withTray(false);
}

void MainWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    // The minimise command is taken over while there is a notification area to hide in.
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && trayAvailable_)
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowState(windowState() & ~Qt::WindowMinimized);
                hideToTray();
            },
            Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (closeAllowed_ || !hooks_.closeRequested) {
        e->accept();
        return;
    }
    // The close query may keep the program running.
    if (hooks_.closeRequested())
        e->accept();
    else
        e->ignore();
}

void MainWindow::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    if (!isVisible()) return;
    settings_.formLeft = pos().x();
    settings_.formTop = pos().y();
}

} // namespace varnock
