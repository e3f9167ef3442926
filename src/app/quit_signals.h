// SIGINT and SIGTERM end the program through its event loop, the way its own quit does (settings saved).
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace varnock {

class QuitSignals final : public QObject {
    Q_OBJECT

public:
    // `quit` runs on the event loop for each signal. A third signal ends the process at once, after
    // `beforeForcedExit` (may be null; it runs inside the handler, so async-signal-safe calls only).
    explicit QuitSignals(std::function<void()> quit, void (*beforeForcedExit)() = nullptr, QObject* parent = nullptr);
    ~QuitSignals() override;

    // Readable while a signal waits for the event loop (-1 before the first QuitSignals), so a
    // blocking wait for input can watch it too and give up.
    static int pendingFd();

private:
    void onSignal();

    std::function<void()> quit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace varnock
