// DeviceControl: START (bring the dongle, servers and streaming up), STOP and the window-close sequence.
#pragma once

#include <QHostAddress>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/switches.h"
#include "flights/list_model.h"
#include "net/server_port_plan.h"
#include "streaming/rtlsdr_api.h"

namespace varnock {

class Engine;
class View;
class ControlsActions;

// Who pressed: the user, or the program itself (the start-up timer, START applying a setting).
enum class Sender { Program, User };

// `Panel1`'s colour is the record of whether the device is tuned.
enum class PanelColour { Grey, Black, Orange };

using LogFn = std::function<void(const std::string&)>;

// The device as START left it, and the gain group's controls.
struct DeviceState {
    static constexpr int kGainTableSize = 29;
    static constexpr uint32_t kReceiveFrequency = 1090000000;

    rtlsdr_dev_t* deviceHandle = nullptr;
    int deviceIndex = -1;
    int tunerType = -1;
    int gainTable[kGainTableSize] = {};
    uint32_t currentFrequency = kReceiveFrequency;
    double currentGainDb = 24.0;
    int currentSampleRate = 2000000;
    bool closingFlag = false;

    PanelColour panel1 = PanelColour::Grey;
    bool started = false; // the big button's caption is "STOP"

    // Gain group: the two AGC buttons ("down" is true), the gain list and the track bar.
    bool butuneragc = true;
    bool burtlagc = true;
    std::vector<std::string> cbgainItems; // "49.6 dB"
    std::vector<int> cbgainTenths;        // the gain of each item
    int cbgainIndex = -1;
    int tbgainMax = 1; // the track bar runs from 1
    int tbgainPosition = 1;

    // Enabled by a complete START: mode buttons, AGC buttons, "Max/Min"; the manual gain controls
    // also follow "Tuner AGC".
    bool controlsEnabled = false;
    bool manualGainEnabled = false;
    bool sbsisexEnabled = true;
    bool sbsisexDown = false;
    bool explorerVisible = false;

    // What START read from the device.
    std::string deviceName;
    std::string manufacturer, product, serial;
    std::string captionSuffix; // appended to the main window's caption
};

// "Rafael R820T", "Elonics E4000", ...; numbers without a name (0 is the library's "unknown")
// read "Unknown (type N)".
std::string tunerName(int tunerType);

class DeviceControl {
public:
    struct Hooks {
        std::function<std::string()> saveSettings;       // "" or the error to show
        std::function<void()> endApplication;            // STOP's last step
        std::function<std::string(int port)> openHttp;   // "" when the HTTP server is active, else why not
        std::function<std::string(int port)> openWeb;    // the same for the web map
    };

    DeviceControl(Engine& engine, View& view, Settings& settings, const Switches& switches);
    ~DeviceControl(); // stops and joins streaming, closes the device, unloads the library
    DeviceControl(const DeviceControl&) = delete;
    DeviceControl& operator=(const DeviceControl&) = delete;

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // Servers listen here (tests use the loopback address).
    void setListenAddress(const QHostAddress& a) { listenAddress_ = a; }

    // The loaded settings into the live state, and back before a save.
    void applySettings();
    void storeSettings();

    // The big button: START, or STOP once started.
    void BitBtn1Click(Sender sender);
    // "Max/Min": the tuner's limits, then back to 1,090 MHz. Only while the device runs.
    void BitBtn4Click();

    // Window close: the query (false keeps the window open) and the close itself.
    bool closeQuery();
    void close();

    // r := set_center_freq; "Freq set: " or "Cannot set freq:", and `Panel1`'s colour.
    void setCenterFrequency(uint32_t f);

    DeviceState& state() { return state_; }
    const ServerPortPlan& plan() const { return plan_; }
    ControlsActions& controls() { return *controls_; }
    const RtlSdrApi& api() const { return api_; }

    // Puts a line on the list (the engine passes it on to the view).
    void write(const std::string& text);

private:
    // START, step by step; a step that returns false has told the user why, and START ends there.
    void start();
    void applySwitches();
    bool loadLibrary();
    bool chooseDevice(int serial);
    bool chooseAmong(int deviceCount, bool eepromMode, int serial);
    bool planPorts(UdpTarget& target);
    bool openServers(const UdpTarget& target);
    bool openDevice();
    void readEepromReport();
    void reportTuner(int serial);
    void reportCrystals();
    void loadGains();
    void enableControls();
    void applySampleRate();
    void applyAgc();
    void tuneToReceiveFrequency();
    void resetBuffer();
    void startStreaming();

    void stopSequence();
    void saveSettingsNow();
    void shutDownStreaming(int waitMs);
    void appendListToLog();
    void letWindowProcessMessages();

    Engine& engine_;
    View& view_;
    Settings& settings_;
    const Switches& switches_;
    Hooks hooks_;
    QHostAddress listenAddress_{QHostAddress::Any};

    RtlSdrLibrary library_;
    RtlSdrApi api_;

    DeviceState state_;
    ServerPortPlan plan_;
    std::unique_ptr<ListLogFile> listLog_;
    std::unique_ptr<ControlsActions> controls_;
    QMetaObject::Connection mirror_;
    bool busy_ = false;    // START, STOP or "Max/Min" is running
    bool closing_ = false; // the close query or the close is running
};

// Waits `ms` while the event loop runs (plain sleep without an application object).
void serviceWait(int ms);

} // namespace varnock
