// runGuiProgram: the window exists before the settings reach the controls, as at the original start.
#include "gui/gui_program.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <string>

#include "app/device_control.h"
#include "app/quit_signals.h"
#include "gui/config_dialog.h"
#include "gui/explorer_link.h"
#include "gui/gui_view.h"
#include "gui/hint_style.h"
#include "gui/main_window.h"
#include "gui/screenshots.h"
#include "gui/sisex_screenshots.h"
#include "gui/sisex_window.h"
#include "net/direct_connections.h"

namespace varnock {

namespace {

int envMs(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return fallback;
    const double s = std::atof(v);
    return s > 0 && s < 3600 ? static_cast<int>(s * 1000) : fallback;
}

// Once START has run, "SISEX>>" opens the explorer live; it stays open until the program ends.
void openExplorerLiveAfterStart(ReceiverProgram& program, MainWindow& window)
{
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [poll, &program, &window] {
        if (!program.device().state().started) return;
        poll->stop();
        poll->deleteLater();
        auto* sisex = window.findChild<QAbstractButton*>(QStringLiteral("sbsisex"));
        if (sisex != nullptr && sisex->isEnabled() && !sisex->isChecked()) sisex->click();
    });
    poll->start(250);
}

} // namespace

int runGuiProgram(ReceiverProgram::Setup setup, int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnock"));
    QApplication::setApplicationDisplayName(QStringLiteral("varnock"));
    // The program ends by STOP or the close box, never because the window hid in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    useDirectConnections();
    installHints();

    ReceiverProgram program(std::move(setup));
    MainWindow window(program.engine(), program.settings());
    GuiView view(window);
    program.attach(view);
    window.setDeviceControl(&program.device());
    program.setHideToTray([&window] { window.hideToTray(); });

    ConfigDialog config(program.settings(), program.engine().receiver().home, program.engine().servers().udpOut,
                        &window);
    MainWindow::Hooks hooks;
    hooks.configVisible = [&config] { return config.isVisible(); };
    hooks.showConfig = [&config] { config.show(); };
    hooks.closeRequested = [&program] {
        program.endApplication();
        return program.ended();
    };
    window.setHooks(hooks);

    Tfosis explorer(program.engine().explorer(), program.settings());
    program.engine().explorerHost().setUi(&explorer);
    linkExplorerWindow(window, explorer);
    window.show();
    // Ctrl-C in the terminal that started the program: the same end as the close box.
    const QuitSignals signalQuit([&program] { program.endApplication(); });

    // Hidden aid for the documentation: the windows to PNG files, then the end.
    if (const char* dir = std::getenv("VARNOCK_SCREENSHOT_DIR"); dir != nullptr && *dir != '\0')
        scheduleScreenshots(window, QString::fromLocal8Bit(dir), envMs("VARNOCK_SCREENSHOT_AFTER", 8000),
                            envMs("VARNOCK_SCREENSHOT_TABLE_AFTER", 4500), [&program, &window, &explorer, dir] {
                                // Then the explorer, live on the same sky, before the end.
                                scheduleExplorerScreenshots(window, explorer, QString::fromLocal8Bit(dir),
                                                            envMs("VARNOCK_SCREENSHOT_EXPLORER_AFTER", 3000),
                                                            [&program] { program.endApplication(); });
                            });

    // Hidden aid for long runs: VARNOCK_EXPLORER_LIVE=1 (with -run) keeps the explorer open and
    // recording live pages, so the tick can be timed with it (VARNOCK_STATS_FILE).
    if (const char* live = std::getenv("VARNOCK_EXPLORER_LIVE"); live != nullptr && std::string(live) == "1")
        openExplorerLiveAfterStart(program, window);

    const int rc = QApplication::exec();
    window.allowClose();
    program.engine().explorerHost().setUi(nullptr);
    return program.finish(rc);
}

} // namespace varnock
