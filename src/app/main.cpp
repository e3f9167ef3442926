// varnock: the receiver program - engine, device control and (for now always) the console view.
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/console_view.h"
#include "app/device_control.h"
#include "app/engine.h"
#include "app/ini_file.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/switches.h"
#include "net/direct_connections.h"
#include "net/http_server.h"
#include "streaming/rtlsdr_api.h"

namespace {

using namespace varnock;

const char kHelp[] =
    "varnock - 1090 MHz Mode-S / ADS-B receiver for RTL2832U dongles\n"
    "\n"
    "Switches (written -name or /name, letter case ignored):\n"
    "  -run              press START by itself 1.75 s after the start\n"
    "  -min              hide the window after that (no effect in the console)\n"
    "  -exitdialog       ask before ending\n"
    "  -log              keep a list log file varnock-yymmdd-hhnnss.log beside the program\n"
    "  -portbase=N       server ports N+1 (raw), N+2 (UDP in), N+4 (30003 style), N+8 (HTTP)\n"
    "                    instead of 31001.. + 10 x device index\n"
    "  -udptarget=N      send UDP to port N+2\n"
    "  -ser=N            use the dongle whose serial number is N as eight digits (0..999)\n"
    "  -eeprom           rewrite the serial number of the one dongle plugged in\n"
    "  -multilat1        raw lines carry the receive time stamp\n"
    "  -avr, -ascii      raw output as *hex; or @stamp hex;\n"
    "  -cntr             packet lines with time and interval fields\n"
    "  -nohttp           no HTTP server\n"
    "  -30003            30003-style lines on port 30003\n"
    "  -newp             the alternative Mode A/C pulse detector\n"
    "  -console          the console view (the only view for now)\n"
    "\n"
    "Environment:\n"
    "  VARNOCK_RTLSDR_LIB   the rtl-sdr library to load instead of librtlsdr.so.0\n"
    "                       (the simulated dongle: libvarnock_simdongle.so)\n"
    "  VARNOCK_HOME         folder of varnock.ini and the list logs (default: the program's)\n"
    "\n"
    "--device-count prints the number of dongles the library finds and ends.\n"
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

} // namespace

int main(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        std::fputs(kHelp, stdout);
        std::fputs(ConsoleView::keyHelp(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--device-count") == 0) return printDeviceCount();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("varnock");
    useDirectConnections();

    std::vector<std::string> args(argv, argv + argc);
    const Switches switches(args);

    Engine engine;
    ConsoleView view(engine);
    const auto writeLine = [&engine](const std::string& t) { engine.writeLogLine(t); };
    writeBanner(writeLine, cleanCommandLine(rawCommandLine(args)));

    Settings settings;
    IniFile ini(settingsFilePath());
    loadSettingsAtStartup(settings, ini, clockSeededTableNameRandom(), programFolder());

    DeviceControl device(engine, view, settings, switches);
    view.setDeviceControl(&device);
    device.applySettings();

    HttpServer http(engine.receiver(), engine.ledColours());
    http.setInputs([&] {
        HttpPageInputs in;
        in.config.table[0] = settings.table1;
        in.config.table[1] = settings.table2;
        in.config.table[2] = settings.table3;
        in.config.table[3] = settings.table4;
        in.config.stationId = settings.id;
        in.config.udpHost = settings.udpIp;
        in.config.udpPort = settings.udpPort;
        const DeviceState& st = device.state();
        in.device.commandLine = cleanCommandLine(rawCommandLine(args));
        in.device.tunerType = st.deviceHandle != nullptr ? st.tunerType : 0;
        in.device.currentGainDb = st.currentGainDb;
        in.device.tunerAgc = st.butuneragc;
        in.device.rtlAgc = st.burtlagc;
        return in;
    });

    bool quitting = false;
    const auto endApplication = [&] {
        if (quitting) return;
        if (!device.closeQuery()) return;
        quitting = true;
        device.close();
        QCoreApplication::quit();
    };
    DeviceControl::Hooks hooks;
    hooks.saveSettings = [&] { return saveSettings(settings, ini); };
    hooks.endApplication = endApplication;
    hooks.openHttp = [&](int port) { return http.open(static_cast<quint16>(port)); };
    device.setHooks(hooks);
    QObject::connect(&view, &ConsoleView::quitRequested, &app, endApplication);

    StartupTimer timer1(switches, {
                                      [&] { engine.datacntrTimer(); },
                                      [](int ms) { serviceWait(ms); },
                                      [&] { device.BitBtn1Click(Sender::Program); },
                                      {},
                                  });
    StartupTimerDriver timer1Driver(timer1);

    view.flush();
    std::fputs(ConsoleView::keyHelp(), stdout);
    std::fflush(stdout);
    view.startInput();
    view.installSignalHandlers();

    const int rc = QCoreApplication::exec();
    view.flush();
    http.close();
    return rc;
}
