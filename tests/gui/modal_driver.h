// Drives modal dialogs from inside their exec(): each step runs on the next modal window that shows up.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <deque>
#include <functional>

namespace varnock::test {

class ModalDriver {
public:
    using Step = std::function<void(QWidget* modal)>;

    // A step must close its window (or the test waits for the bound). Steps run in order, one per
    // modal window; a window left over after the last step is rejected so that nothing hangs.
    explicit ModalDriver(std::deque<Step> steps) : steps_(std::move(steps))
    {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    bool finished() const { return steps_.empty(); }
    int leftovers() const { return leftovers_; }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        // A box made at the address of the one before is a new window: it has no mark.
        if (modal->property(kMark).toBool()) {
            if (clock_.elapsed() > 20000) close(modal);
            return;
        }
        modal->setProperty(kMark, true);
        clock_.restart();
        if (steps_.empty()) {
            ++leftovers_;
            close(modal);
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(modal);
    }

    static void close(QWidget* modal) { QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection); }

    std::deque<Step> steps_;
    QTimer timer_;
    QElapsedTimer clock_;
    static constexpr const char* kMark = "varnockTestDriven";
    int leftovers_ = 0;
};

} // namespace varnock::test
