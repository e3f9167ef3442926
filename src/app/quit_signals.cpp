// QuitSignals: the handler only writes a byte to a pipe; the event loop does the rest.
#include "app/quit_signals.h"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace varnock {

namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_count = 0;
void (*volatile g_beforeForcedExit)() = nullptr;

void onSignalHandler(int)
{
    g_count = g_count + 1;
    if (g_count >= 3) { // the clean end is stuck
        if (void (*hook)() = g_beforeForcedExit) hook();
        _exit(130);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> quit, void (*beforeForcedExit)(), QObject* parent)
    : QObject(parent), quit_(std::move(quit))
{
    if (g_pipe[0] < 0) {
        if (::pipe(g_pipe) != 0) return;
        for (int fd : g_pipe) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    }
    g_beforeForcedExit = beforeForcedExit;
    struct sigaction sa = {};
    sa.sa_handler = onSignalHandler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitSignals::onSignal);
}

QuitSignals::~QuitSignals()
{
    notifier_.reset();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    g_beforeForcedExit = nullptr;
}

int QuitSignals::pendingFd()
{
    return g_pipe[0];
}

void QuitSignals::onSignal()
{
    char buf[16];
    [[maybe_unused]] const ssize_t n = ::read(g_pipe[0], buf, sizeof buf);
    if (quit_) quit_();
}

} // namespace varnock
