// SIGINT and SIGTERM end the desktop program the way its close box does (settings saved).
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace varnock {

class QuitSignals final : public QObject {
    Q_OBJECT

public:
    // `quit` runs on the event loop for each signal; a third signal ends the process at once.
    explicit QuitSignals(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitSignals() override;

private:
    void onSignal();

    std::function<void()> quit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace varnock
