// Qt test helpers: the binary's one QCoreApplication (made on first use, after test discovery)
// and event-loop waits on conditions with a generous upper bound.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include "net/direct_connections.h"

namespace varnock::test {

inline QCoreApplication& qtApp()
{
    static int argc = 1;
    static char name[] = "varnock-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        auto* a = new QCoreApplication(argc, argv); // lives until exit
        useDirectConnections();
        return a;
    }();
    return *app;
}

inline constexpr int kWaitMs = 20000;

// Runs the event loop until pred() holds; false after kWaitMs.
template <typename Pred>
bool waitUntil(Pred pred, int timeoutMs = kWaitMs)
{
    QTimer heartbeat; // wakes the loop so the deadline is seen even when nothing else happens
    heartbeat.start(10);
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Lets every event already posted to this thread run: a queued marker is reached only after them.
inline void drainPostedEvents()
{
    bool reached = false;
    QMetaObject::invokeMethod(&qtApp(), [&reached] { reached = true; }, Qt::QueuedConnection);
    waitUntil([&] { return reached; });
}

// A TCP client in this process that collects everything it is sent.
struct Client {
    QTcpSocket socket;
    QByteArray received;

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return waitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    void collect() { received += socket.readAll(); }
    bool waitFor(qsizetype n)
    {
        return waitUntil([&] {
            collect();
            return received.size() >= n;
        });
    }
};

} // namespace varnock::test
