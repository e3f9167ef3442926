// ReceiverProgram: start-up order, the settings' way into the live state and back, and the exit status.
#include "app/receiver_program.h"

#include <cstdlib>

#include <QCoreApplication>

#include "app/config_values.h"
#include "app/device_control.h"
#include "app/view.h"
#include "net/http_server.h"
#include "web/web_server.h"

namespace varnock {

namespace {

// The status page is line based: a line break inside an argument must not start a line of its own.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

} // namespace

ReceiverProgram::ReceiverProgram(Setup setup)
    : setup_(std::move(setup)), switches_(setup_.args), folder_(programFolder(setup_.folders)),
      engine_(std::make_unique<Engine>(setup_.clock)), ini_(folder_ + "varnock.ini")
{
    const auto writeLine = [this](const std::string& t) { engine_->writeLogLine(t); };
    writeBanner(writeLine, cleanCommandLine(rawCommandLine(setup_.args)));
    for (const std::string& line : prepareProgramFolder(setup_.folders)) writeLine(line);

    const TableNameRandom random = setup_.random ? setup_.random : clockSeededTableNameRandom();
    loadSettingsAtStartup(settings_, ini_, random, folder_, writeLine);
    engine_->explorerHost().applySettings(settings_);
    // The dialog's fields and the home location that local CPR decoding and the status page use.
    ConfigValues dialog;
    loadConfigValues(settings_, dialog, engine_->receiver().home);
    if (const char* stats = std::getenv("VARNOCK_STATS_FILE"); stats != nullptr && *stats != '\0')
        engine_->setStatsFile(stats);
}

ReceiverProgram::~ReceiverProgram()
{
    finish(0);
}

void ReceiverProgram::attach(View& view)
{
    if (device_) return;
    device_ = std::make_unique<DeviceControl>(*engine_, view, settings_, switches_);
    device_->setListenAddress(setup_.listenAddress);
    device_->applySettings();
    engine_->startPushing(switches_.valuesOf("connect="));

    http_ = std::make_unique<HttpServer>(engine_->receiver(), engine_->ledColours());
    http_->setInputs([this] { return pageInputs(); });

    DeviceControl::Hooks hooks;
    hooks.saveSettings = [this] { return saveNow(); };
    hooks.endApplication = [this] { endApplication(); };
    hooks.openHttp = [this](int port) {
        return http_->open(static_cast<quint16>(port), setup_.listenAddress);
    };
    web_ = std::make_unique<WebServer>(engine_->receiver(), engine_->clock());
    web_->startSnapshots();
    hooks.openWeb = [this](int port) {
        std::string err = web_->open(static_cast<quint16>(port), setup_.listenAddress);
        if (err.empty()) engine_->receiver().round.decodeBehindPackets = true;
        return err;
    };
    device_->setHooks(hooks);

    timer1_ = std::make_unique<StartupTimer>(switches_, StartupTimer::Actions{
                                                            [this] { engine_->datacntrTimer(); },
                                                            [](int ms) { serviceWait(ms); },
                                                            [this] { device_->BitBtn1Click(Sender::Program); },
                                                            [this] {
                                                                if (hideToTray_) hideToTray_();
                                                            },
                                                        });
    timer1Driver_ = std::make_unique<StartupTimerDriver>(*timer1_, setup_.startupDelayMs);
}

HttpPageInputs ReceiverProgram::pageInputs() const
{
    HttpPageInputs in;
    in.config.table[0] = settings_.table1;
    in.config.table[1] = settings_.table2;
    in.config.table[2] = settings_.table3;
    in.config.table[3] = settings_.table4;
    in.config.stationId = settings_.id;
    in.config.udpHost = settings_.udpIp;
    in.config.udpPort = settings_.udpPort;
    in.device.commandLine = oneLine(rawCommandLine(setup_.args));
    if (device_) {
        const DeviceState& st = device_->state();
        in.device.tunerType = st.deviceHandle != nullptr ? st.tunerType : 0;
        in.device.currentGainDb = st.currentGainDb;
        in.device.tunerAgc = st.butuneragc;
        in.device.rtlAgc = st.burtlagc;
    }
    return in;
}

std::string ReceiverProgram::saveNow()
{
    const HomeLocation& home = engine_->receiver().home;
    settings_.homeNorth = home.lat;
    settings_.homeEast = home.lon;
    settings_.homeUse = home.use;
    engine_->explorerHost().storeSettings(settings_);
    const std::string err = saveSettings(settings_, ini_);
    saveFailed_ = !err.empty();
    // STOP, the close query and the close each save: the same failure is shown once.
    if (err.empty() || err == reportedSaveError_) return std::string();
    reportedSaveError_ = err;
    return err;
}

void ReceiverProgram::endApplication()
{
    if (quitting_ || !device_) return;
    if (!device_->closeQuery()) return;
    quitting_ = true;
    device_->close();
    ended_ = true;
    QCoreApplication::quit();
}

int ReceiverProgram::finish(int loopResult)
{
    timer1Driver_.reset();
    if (http_) http_->close();
    if (web_) web_->close();
    device_.reset();
    http_.reset();
    web_.reset();
    timer1_.reset();
    if (loopResult != 0) return loopResult;
    return saveFailed_ ? 1 : 0;
}

} // namespace varnock
