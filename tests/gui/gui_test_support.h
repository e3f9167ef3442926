// GUI test helpers: the binary's one QApplication on the offscreen platform, made on first use
// (after test discovery), so widget tests need neither a display nor a GPU.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>

#include "net/direct_connections.h"

namespace varnock::test {

inline QApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "varnock-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* a = new QApplication(argc, argv); // lives until exit
        useDirectConnections();
        return a;
    }();
    return *app;
}

// Runs the event loop until pred() holds; false after timeoutMs.
template <typename Pred>
bool guiWaitUntil(Pred pred, int timeoutMs = 20000)
{
    QTimer heartbeat;
    heartbeat.start(10);
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace varnock::test
