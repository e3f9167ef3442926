// START and STOP: libraries, device choice, servers, tuner set-up, streaming; and the way out.
#include "app/device_control.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/controls_actions.h"
#include "app/eeprom_serial.h"
#include "app/engine.h"
#include "app/frequency_search.h"
#include "app/startup.h"
#include "app/view.h"

namespace varnock {

namespace {

std::string eightDigits(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08d", n);
    return buf;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

} // namespace

std::string tunerName(int tunerType)
{
    switch (tunerType) {
    case 1: return "Elonics E4000";
    case 2: return "FC0012";
    case 3: return "FC0013";
    case 4: return "FC2580";
    case 5: return "Rafael R820T";
    case 6: return "Rafael R828D";
    default: return "Unknown (type " + std::to_string(tunerType) + ")";
    }
}

void serviceWait(int ms)
{
    if (QCoreApplication::instance() == nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

DeviceControl::DeviceControl(Engine& engine, View& view, Settings& settings, const Switches& switches)
    : engine_(engine), view_(view), settings_(settings), switches_(switches),
      controls_(std::make_unique<ControlsActions>(api_, state_, engine.receiver(), view,
                                                  [this](const std::string& t) { write(t); }))
{
    // Every list line written through the engine - ours, the servers' - reaches the view.
    mirror_ = QObject::connect(&engine_, &Engine::logLine, [this](const QString& t) {
        const QByteArray b = t.toLatin1();
        view_.messageLine(std::string(b.constData(), static_cast<std::size_t>(b.size())));
    });
}

DeviceControl::~DeviceControl()
{
    QObject::disconnect(mirror_);
    engine_.stopStreaming();
    engine_.joinStreaming();
    engine_.closeServers();
    // What the end of the process would do; the library goes after its device.
    if (state_.deviceHandle != nullptr && api_.close != nullptr) api_.close(state_.deviceHandle);
    state_.deviceHandle = nullptr;
    engine_.receiver().list.setLogAppender(nullptr);
}

void DeviceControl::write(const std::string& text) { engine_.writeLogLine(text); }

void DeviceControl::letWindowProcessMessages()
{
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

void DeviceControl::applySettings()
{
    Receiver& rx = engine_.receiver();
    state_.currentFrequency = DeviceState::kReceiveFrequency;
    state_.currentGainDb = settings_.gain;
    state_.butuneragc = settings_.tunerAgc;
    state_.burtlagc = settings_.rtlAgc;
    state_.currentSampleRate = settings_.sampleRate;
    // One group: at most one of the two is down.
    rx.controls.sbmodes = settings_.modeS;
    rx.controls.sbmodeac = settings_.modeAc && !settings_.modeS;
    state_.sbsisexEnabled = !rx.controls.sbmodeac;
    engine_.sbudpoutClick(settings_.udpOut);
    view_.deviceStateChanged();
}

void DeviceControl::storeSettings()
{
    const Controls& c = engine_.receiver().controls;
    settings_.gain = state_.currentGainDb;
    settings_.tunerAgc = state_.butuneragc;
    settings_.rtlAgc = state_.burtlagc;
    settings_.modeS = c.sbmodes;
    settings_.modeAc = c.sbmodeac;
    // The button is held down until START completes; before that the loaded value stands.
    if (state_.started) settings_.list = c.sblist;
    settings_.sampleRate = state_.currentSampleRate;
    settings_.udpOut = c.sbudpout;
}

namespace {

// START, STOP and the close sequence let the event loop run; a key or signal arriving meanwhile
// must not start a second sequence inside the first.
class Busy {
public:
    explicit Busy(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
    ~Busy()
    {
        if (entered_) flag_ = false;
    }
    bool entered() const { return entered_; }

private:
    bool& flag_;
    bool entered_;
};

} // namespace

void DeviceControl::BitBtn1Click(Sender sender)
{
    const Busy busy(busy_);
    if (!busy.entered()) return;
    if (state_.started) {
        stopSequence();
        return;
    }
    // With "run" only the start-up timer starts the device.
    if (switches_.run() && sender == Sender::User) return;
    start();
}

bool DeviceControl::loadLibrary()
{
    // A library that is already in (a second START) stays: a device may be open on it.
    if (!library_.loaded()) {
        if (!library_.load()) {
            write(library_.error());
            return false;
        }
    }
    if (!libusbAvailable()) {
        write(std::string("Cannot find ") + kLibusbLibraryFile + ".");
        return false;
    }
    api_ = library_.api();
    return true;
}

bool DeviceControl::chooseDevice(int serial)
{
    const bool eepromMode = engine_.receiver().options.eeprom;
    const int count = api_.get_device_count();
    if (eepromMode && count >= 2) {
        write("Cannot execute RTL2832U serial number reprogramming when more than 1 device is detected.");
        return false;
    }
    if (count == 0) {
        write("No RTLSDR device found.");
        return false;
    }
    write(std::to_string(count) + " RTLSDR device(s) found.");
    return chooseAmong(count, eepromMode, serial);
}

bool DeviceControl::chooseAmong(int deviceCount, bool eepromMode, int serial)
{
    char manufacturer[256];
    char product[256];
    char serialText[256];
    const bool bySerial = serial >= 0 && !eepromMode;
    const std::string wanted = serial >= 0 ? eightDigits(serial) : std::string();
    if (bySerial) write("Trying ... serial no: " + std::to_string(serial));

    for (int i = 0; i < deviceCount; ++i) {
        manufacturer[0] = product[0] = serialText[0] = '\0';
        const int r = api_.get_device_usb_strings(static_cast<uint32_t>(i), manufacturer, product, serialText);
        if (!bySerial) {
            if (r != 0) {
                write("Index:" + std::to_string(i) + "; Cannot read device info:" + std::to_string(r));
                continue;
            }
        } else {
            if (r < 0 || wanted != serialText) continue;
            write("Found selected device; index: " + std::to_string(i));
        }
        const char* name = api_.get_device_name(static_cast<uint32_t>(i));
        state_.deviceName = name != nullptr ? name : "";
        state_.deviceIndex = i;
        write("Device: " + state_.deviceName);
        letWindowProcessMessages();
        return true;
    }
    write("Cannot find device: ser=" + (bySerial ? wanted : std::string()));
    return false;
}

void DeviceControl::readEepromReport()
{
    EepromImage image;
    const int r = api_.read_eeprom(state_.deviceHandle, image.bytes, 0, EepromImage::kLength);
    if (r < 0) {
        write("Index:" + std::to_string(state_.deviceIndex) + "; Cannot read device info:" + std::to_string(r));
        return;
    }
    const EepromStrings s = readEepromStrings(image);
    state_.manufacturer = s.manufacturer;
    state_.product = s.product;
    state_.serial = s.serial;
    write("** Manufacturer: " + s.manufacturer);
    write("** Product:      " + s.product);
    write("** Serial:       " + s.serial);
}

void DeviceControl::reportTuner(int serial)
{
    state_.tunerType = static_cast<int>(api_.get_tuner_type(state_.deviceHandle));
    if (state_.tunerType < 0) {
        write("Cannot read tuner type:" + std::to_string(state_.tunerType));
        return;
    }
    const std::string name = tunerName(state_.tunerType);
    write("Tuner type: " + quoted(name));
    std::string suffix = serial >= 0 ? " - [ser=" + std::to_string(serial) + "]" : std::string();
    suffix += " - " + name + " - " + state_.manufacturer + " - " + state_.deviceName;
    state_.captionSuffix = suffix;
    view_.deviceStateChanged();
    letWindowProcessMessages();
}

void DeviceControl::loadGains()
{
    // Room for any tuner's list: the library copies all of its gains whatever the buffer.
    int all[256] = {};
    const int n = api_.get_tuner_gains(state_.deviceHandle, all);
    state_.cbgainItems.clear();
    state_.cbgainTenths.clear();
    state_.cbgainIndex = -1;
    if (n < 1) {
        write("Cannot read tuner gains:" + std::to_string(n));
        return;
    }
    const int kept = n < DeviceState::kGainTableSize ? n : DeviceState::kGainTableSize;
    std::string joined;
    for (int i = 0; i < kept; ++i) {
        state_.gainTable[i] = all[i];
        if (i > 0 && all[i] == 0) continue;
        state_.cbgainItems.push_back(gainItemText(all[i]));
        state_.cbgainTenths.push_back(all[i]);
        if (i > 0) joined += ",";
        joined += std::to_string(all[i]);
    }
    write("Gains: " + joined);
    // The track bar spans the list, so every position names an item.
    const int items = static_cast<int>(state_.cbgainItems.size());
    state_.tbgainMax = items;
    if (state_.tbgainPosition > items) state_.tbgainPosition = items;

    if (n >= 2) {
        const long wanted = nearestEven(state_.currentGainDb * 10.0);
        int i = 0;
        for (int k = 1; k <= items; ++k) {
            if (state_.cbgainTenths[static_cast<std::size_t>(k - 1)] == wanted) {
                i = k;
                break;
            }
        }
        if (i == 0) {
            i = items / 2 > 0 ? items / 2 : 1;
            const double g = state_.cbgainTenths[static_cast<std::size_t>(i - 1)] / 10.0;
            write("Cannot find gain. Gain adjusted to: " + shortestDecimal(g, localeDecimalSeparator()) + " dB");
            state_.currentGainDb = g;
        }
        state_.cbgainIndex = i - 1;
        controls_->cbgainChange(Sender::Program);
    }
}

void DeviceControl::applySwitches()
{
    Receiver& rx = engine_.receiver();
    CommandLineOptions& options = rx.options;
    switches_.fillOptions(options);
    if (options.log) {
        listLog_ = std::make_unique<ListLogFile>(createListLogFile(engine_.clock().localTime(), programFolder()));
        rx.list.setLogAppender(listLog_.get());
    }
    if (options.cntr) {
        view_.applyCntrLayout();
        options.cntrWiden = true;
        letWindowProcessMessages();
    }
}

bool DeviceControl::planPorts(UdpTarget& target)
{
    Receiver& rx = engine_.receiver();
    const CommandLineOptions& options = rx.options;
    const int index = state_.deviceIndex;
    plan_ = ServerPortPlan::forDevice(index, options.portBase, options.port30003);
    if (options.portBase != 0) write("Portbase override active: " + std::to_string(options.portBase));
    rx.round.panels.text[3] = "TCP Port: " + std::to_string(plan_.raw);

    // The whole plan and the UDP target are checked before any server opens, so a refusal leaves
    // nothing listening.
    if (const std::string refusal = plan_.refusal(options.httpEnabled, options.webEnabled); !refusal.empty()) {
        write(refusal);
        return false;
    }
    target = chooseUdpTarget(settings_.udpIp, settings_.udpPort, options.udpTarget, index);
    if (!target.error.empty()) {
        view_.errorBox(target.error);
        return false;
    }
    return true;
}

bool DeviceControl::openServers(const UdpTarget& target)
{
    // A second START opens them afresh.
    engine_.closeServers();
    if (const std::string err = engine_.openServers(plan_, listenAddress_); !err.empty()) {
        view_.errorBox(err);
        return false;
    }
    if (engine_.receiver().options.httpEnabled && hooks_.openHttp) {
        if (const std::string err = hooks_.openHttp(plan_.http); !err.empty()) {
            engine_.closeServers();
            view_.errorBox(err);
            return false;
        }
        write("HTTP server port opened: " + std::to_string(plan_.http));
    }
    if (engine_.receiver().options.webEnabled && hooks_.openWeb) {
        if (const std::string err = hooks_.openWeb(plan_.web); !err.empty()) {
            engine_.closeServers();
            view_.errorBox(err);
            return false;
        }
        write("Web map port opened: " + std::to_string(plan_.web));
    }

    settings_.udpPort = target.dialogPortText;
    if (target.portChanged) write("UDP target port changed!");
    engine_.servers().udpOut.setTarget(QString::fromStdString(target.host), static_cast<quint16>(target.port));
    write("UDP target is: " + target.host + ":" + target.dialogPortText);
    return true;
}

bool DeviceControl::openDevice()
{
    // A device left open by an earlier START (reprogramming mode) would refuse a second open.
    if (state_.deviceHandle != nullptr && api_.close != nullptr) {
        api_.close(state_.deviceHandle);
        state_.deviceHandle = nullptr;
    }
    const int index = state_.deviceIndex;
    rtlsdr_dev_t* handle = nullptr;
    if (const int r = api_.open(&handle, static_cast<uint32_t>(index)); r != 0) {
        write("Device:" + std::to_string(index) + "; Cannot open:" + std::to_string(r));
        return false;
    }
    state_.deviceHandle = handle;
    write("Device opened: " + quoted(std::to_string(reinterpret_cast<std::uintptr_t>(handle))));
    return true;
}

void DeviceControl::reportCrystals()
{
    uint32_t rtlXtal = 0;
    uint32_t tunerXtal = 0;
    if (const int r = api_.get_xtal_freq(state_.deviceHandle, &rtlXtal, &tunerXtal); r != 0) {
        write("Cannot read XTAL freqs:" + std::to_string(r));
        return;
    }
    write("RTL Xtal Freq:   " + quoted(std::to_string(rtlXtal) + " Hz"));
    write("TUNER Xtal Freq: " + quoted(std::to_string(tunerXtal) + " Hz"));
    letWindowProcessMessages();
}

void DeviceControl::enableControls()
{
    state_.controlsEnabled = true;
    state_.manualGainEnabled = true;
    view_.deviceStateChanged();
}

void DeviceControl::applySampleRate() { controls_->cbsamplerateChange(); }

void DeviceControl::applyAgc()
{
    controls_->burtlagcClick();
    controls_->butuneragcClick();
}

void DeviceControl::tuneToReceiveFrequency()
{
    api_.set_freq_correction(state_.deviceHandle, 0);
    write("Freq correction: " + std::to_string(api_.get_freq_correction(state_.deviceHandle)) + " ppm");
    state_.currentFrequency = DeviceState::kReceiveFrequency;
    setCenterFrequency(state_.currentFrequency);
}

void DeviceControl::resetBuffer()
{
    api_.set_testmode(state_.deviceHandle, 0);
    if (const int r = api_.reset_buffer(state_.deviceHandle); r != 0)
        write("Cannot clear buffer" + std::to_string(r));
    else
        write("Buffer cleared");
}

void DeviceControl::startStreaming()
{
    state_.started = true;
    view_.deviceStateChanged();
    letWindowProcessMessages();

    engine_.startStreaming(api_, state_.deviceHandle);

    write("DO-260A/B symbols: \x02 \x03 \x04 \x05 \x06 \x07 \x08 ");
    write("Started ...");
    if (!settings_.list) engine_.receiver().controls.sblist = false;
    view_.deviceStateChanged();
    letWindowProcessMessages();
}

void DeviceControl::start()
{
    applySwitches();
    view_.showList();
    write("Started...");

    if (!loadLibrary()) return;
    const int serial = switches_.serial();
    if (!chooseDevice(serial)) return;
    UdpTarget target;
    if (!planPorts(target)) return;
    if (!openServers(target)) return;
    if (!openDevice()) return;

    const bool eepromMode = engine_.receiver().options.eeprom;
    readEepromReport();
    reportTuner(eepromMode ? -1 : serial);
    if (eepromMode) {
        reprogramSerial(api_, state_.deviceHandle, state_.serial, view_, [this](const std::string& t) { write(t); });
        return;
    }
    reportCrystals();

    loadGains();
    enableControls();
    applySampleRate();
    applyAgc();
    tuneToReceiveFrequency();
    resetBuffer();
    startStreaming();
}

void DeviceControl::setCenterFrequency(uint32_t f)
{
    const int r = api_.set_center_freq(state_.deviceHandle, f);
    if (r != 0) {
        write("Cannot set freq:" + std::to_string(r));
        state_.panel1 = PanelColour::Orange;
    } else {
        write("Freq set: " + quoted(std::to_string(f) + " Hz"));
        state_.panel1 = PanelColour::Black;
    }
    view_.deviceStateChanged();
}

void DeviceControl::BitBtn4Click()
{
    const Busy busy(busy_);
    if (!busy.entered() || !state_.started) return;
    view_.showList();
    FrequencyRangeSearch(api_, state_.deviceHandle, state_.tunerType, [this](const std::string& t) { write(t); });
    setCenterFrequency(DeviceState::kReceiveFrequency);
}

void DeviceControl::shutDownStreaming(int waitMs)
{
    engine_.stopStreaming();
    state_.closingFlag = true;
    serviceWait(waitMs);
}

void DeviceControl::saveSettingsNow()
{
    storeSettings();
    if (!hooks_.saveSettings) return;
    // A failed save is shown and the exit goes on: otherwise the program could not be ended.
    if (const std::string err = hooks_.saveSettings(); !err.empty()) view_.errorBox(err);
}

void DeviceControl::stopSequence()
{
    if (switches_.exitDialog() && !view_.askYesNo("Are you sure to exit?", "varnock", true)) return;
    shutDownStreaming(100);
    saveSettingsNow();
    if (hooks_.endApplication) hooks_.endApplication();
}

void DeviceControl::appendListToLog()
{
    CommandLineOptions& options = engine_.receiver().options;
    if (!options.log) return;
    engine_.receiver().list.appendAllToLog();
    if (listLog_) {
        const std::string empty;
        listLog_->appendLines(&empty, 1);
    }
    options.log = false;
}

bool DeviceControl::closeQuery()
{
    const Busy busy(closing_);
    if (!busy.entered()) return false;
    if (switches_.exitDialog() && !state_.closingFlag &&
        !view_.askYesNo("Are you sure to exit?", "varnock", true))
        return false;
    shutDownStreaming(500);
    appendListToLog();
    saveSettingsNow();
    return true;
}

void DeviceControl::close()
{
    const Busy busy(closing_);
    if (!busy.entered()) return;
    shutDownStreaming(100);
    appendListToLog();
    saveSettingsNow();
}

} // namespace varnock
