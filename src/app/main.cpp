// varnock: the receiver program - engine and device control under the desktop window or the console view.
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "app/console_view.h"
#include "app/receiver_program.h"
#include "app/view_choice.h"
#include "gui/gui_program.h"
#include "net/direct_connections.h"
#include "streaming/rtlsdr_api.h"

namespace {

using namespace varnock;

const char kHelp[] =
    "varnock - 1090 MHz Mode-S / ADS-B receiver for RTL2832U dongles\n"
    "\n"
    "Switches (written -name or /name, letter case ignored):\n"
    "  -run              press START by itself 1.75 s after the start\n"
    "  -min              hide the window to the notification area after that\n"
    "                    (minimised when there is none; no effect in the console)\n"
    "  -exitdialog       ask before ending\n"
    "  -log              keep a list log file varnock-yymmdd-hhnnss.log in the settings folder\n"
    "  -portbase=N       server ports N+1 (raw), N+2 (UDP in), N+4 (30003 style), N+8 (HTTP)\n"
    "                    instead of 31001.. + 10 x device index\n"
    "  -udptarget=N      send UDP to port N+2\n"
    "  -ser=N            use the dongle whose serial number is N as eight digits (0..999)\n"
    "  -eeprom           rewrite the serial number of the one dongle plugged in\n"
    "  -multilat1        raw lines carry the receive time stamp\n"
    "  -avr, -ascii      raw output as *hex; or @stamp hex;\n"
    "  -cntr             packet lines with time and interval fields\n"
    "  -nohttp           no HTTP server\n"
    "  -noweb            no web map server\n"
    "  -30003            30003-style lines on port 30003\n"
    "  -newp             the alternative Mode A/C pulse detector\n"
    "  -connect=HOST:PORT  send binary raw frames with time stamps to an aggregator\n"
    "                    listening there (repeatable; reconnects by itself)\n"
    "  -console          the console view even when a display is present (without\n"
    "                    DISPLAY or WAYLAND_DISPLAY the console view is always used)\n"
    "\n"
    "Environment:\n"
    "  VARNOCK_RTLSDR_LIB   the rtl-sdr library to load instead of librtlsdr.so.0\n"
    "                       (the simulated dongle: libvarnock_simdongle.so)\n"
    "  VARNOCK_HOME         folder of varnock.ini and the list logs instead of the default\n"
    "                       $XDG_CONFIG_HOME/varnock (~/.config/varnock when that is unset),\n"
    "                       created on first use; a varnock.ini beside the program is moved there once\n"
    "  VARNOCK_STATS_FILE   rewritten each minute with the tick times and buffers missed\n"
    "\n"
    "The exit status is 1 when the settings could not be saved.\n"
    "\n"
    "--device-count prints the number of dongles the library finds and ends.\n"
    "--version prints the version and ends.\n"
    "\n";

bool wantsHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-help") == 0 || std::strcmp(a, "/help") == 0 ||
            std::strcmp(a, "-h") == 0 || std::strcmp(a, "-?") == 0)
            return true;
    }
    return false;
}

// For scripts: how many dongles the library in use sees (0 when it cannot be loaded).
int printDeviceCount()
{
    RtlSdrLibrary lib;
    const int n = lib.load() ? lib.api().get_device_count() : 0;
    std::printf("%d\n", n);
    return 0;
}

// A service may start us with standard input (or output) closed. The next descriptor opened would
// take its number, and the console would then read keys from one of our own sockets.
void holdStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got != fd && got >= 0) ::close(got);
    }
}

int printVersion()
{
    std::printf("varnock %s\n", VARNOCK_VERSION);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    holdStandardDescriptors();
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-version") == 0))
        return printVersion();
    if (wantsHelp(argc, argv)) {
        std::fputs(kHelp, stdout);
        std::fputs(ConsoleView::keyHelp(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--device-count") == 0) return printDeviceCount();

    // Taken before the application object, which may remove arguments it knows.
    ReceiverProgram::Setup setup;
    setup.args.assign(argv, argv + argc);

    if (wantsGui(setup.args, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")))
        return runGuiProgram(std::move(setup), argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("varnock");
    useDirectConnections();

    ReceiverProgram program(std::move(setup));
    ConsoleView view(program.engine());
    program.attach(view);
    view.setDeviceControl(&program.device());
    QObject::connect(&view, &ConsoleView::quitRequested, &app, [&program] { program.endApplication(); });

    view.flush();
    std::fputs(ConsoleView::keyHelp(), stdout);
    std::fflush(stdout);
    view.startInput();
    view.installSignalHandlers();

    const int rc = QCoreApplication::exec();
    view.flush();
    return program.finish(rc);
}
