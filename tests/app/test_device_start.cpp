// START, STOP and the close sequence through the program's own path, on the simulated dongle.
#include <QTcpServer>

#include <fstream>
#include <sstream>

#include "test_device_support.h"

namespace varnock {
namespace {

using test::DeviceFixture;
using test::setEnv;
using test::waitUntil;

#ifdef VARNOCK_SIMDONGLE_LIB

std::vector<std::string> expectedStart(int base, const std::string& deviceLine)
{
    const std::string b = std::to_string(base);
    return {
        "Started...",
        "1 RTLSDR device(s) found.",
        deviceLine,
        "Portbase override active: " + b,
        "TCP server port opened: " + std::to_string(base + 1),
        "UDP receiver port opened: " + std::to_string(base + 2),
        "Port 30003 type TCP server opened: " + std::to_string(base + 4),
        "HTTP server port opened: " + std::to_string(base + 8),
        "UDP target is: 127.0.0.1:31012",
        "<handle>",
        "** Manufacturer: Realtek",
        "** Product:      RTL2838UHIDIR",
        "** Serial:       00000001",
        "Tuner type: \"Rafael R820T\"",
        "RTL Xtal Freq:   \"28800000 Hz\"",
        "TUNER Xtal Freq: \"28800000 Hz\"",
        "Gains: 0,9,14,27,37,77,87,125,144,157,166,197,207,229,254,280,297,328,338,364,372,386,402,421,434,439,"
        "445,480,496",
        "Cannot find gain. Gain adjusted to: 22.9 dB",
        "Gain: 22.9 dB",
        "Sample rate: 2000000 S/s",
        "RTL AGC set ON",
        "Tuner gain set to AUTO",
        "Freq correction: 0 ppm",
        "Freq set: \"1090000000 Hz\"",
        "Buffer cleared",
        "DO-260A/B symbols: \x02 \x03 \x04 \x05 \x06 \x07 \x08 ",
        "Started ...",
    };
}

// "Device opened: " and a number between double quotes.
bool isHandleLine(const std::string& l)
{
    const std::string head = "Device opened: \"";
    if (l.rfind(head, 0) != 0 || l.size() < head.size() + 2 || l.back() != '"') return false;
    const std::string digits = l.substr(head.size(), l.size() - head.size() - 1);
    return digits.find_first_not_of("0123456789") == std::string::npos && digits[0] != '0';
}

void expectLines(const std::vector<std::string>& got, const std::vector<std::string>& want)
{
    ASSERT_EQ(got.size(), want.size()) << ::testing::PrintToString(got);
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (want[i] == "<handle>")
            EXPECT_TRUE(isHandleLine(got[i])) << got[i];
        else
            EXPECT_EQ(got[i], want[i]) << "line " << i;
    }
}

TEST_F(DeviceFixture, StartRunsEveryStepInOrderAndStreams)
{
    makeWithFreePorts();
    start();
    expectLines(linesFrom("Started..."), expectedStart(base, "Device: Generic RTL2832U OEM"));

    EXPECT_TRUE(st().started);
    EXPECT_EQ(st().panel1, PanelColour::Black);
    EXPECT_TRUE(st().controlsEnabled);
    EXPECT_FALSE(st().manualGainEnabled); // tuner AGC is down by default
    EXPECT_EQ(st().deviceIndex, 0);
    EXPECT_EQ(st().currentGainDb, 22.9);
    EXPECT_EQ(st().captionSuffix, " - Rafael R820T - Realtek - Generic RTL2832U OEM");
    EXPECT_EQ(engine->receiver().round.panels.text[3], "TCP Port: " + std::to_string(base + 1));
    EXPECT_EQ(httpPorts, std::vector<int>{base + 8});
    EXPECT_EQ(view.mirrored.size(), lines().size()); // every list line reached the view
    EXPECT_TRUE(view.errors.empty());

    // The demo sky arrives: buffers are ticked and frames listed.
    ASSERT_TRUE(waitUntil([&] { return engine->receiver().tick.counters.bufferCounter() >= 2; }));
    EXPECT_TRUE(engine->streaming());
}

TEST_F(DeviceFixture, TwoDonglesByIndexAndBySerial)
{
    setEnv("VARNOCK_SIM_DEVICES", "2");
    setEnv("VARNOCK_SIM_1_NAME", "Second dongle");

    makeWithFreePorts();
    start();
    ASSERT_TRUE(st().started) << ::testing::PrintToString(lines());
    EXPECT_EQ(st().deviceIndex, 0);
    const auto port = [this](int offset) { return std::to_string(base + offset); };
    std::vector<std::string> want = {
        "2 RTLSDR device(s) found.",
        "Device: Generic RTL2832U OEM",
        "Portbase override active: " + port(0),
        "TCP server port opened: " + port(1),
        "UDP receiver port opened: " + port(2),
        "Port 30003 type TCP server opened: " + port(4),
        "HTTP server port opened: " + port(8),
        "UDP target is: 127.0.0.1:31012",
    };
    std::vector<std::string> got = linesFrom(want[0]);
    ASSERT_GE(got.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(want.size())), want);
    device.reset(); // frees the ports
    engine.reset();

    makeWithFreePorts({"-ser=2"});
    start();
    ASSERT_TRUE(st().started) << ::testing::PrintToString(lines());
    EXPECT_EQ(st().deviceIndex, 1);
    want = {
        "2 RTLSDR device(s) found.",
        "Trying ... serial no: 2",
        "Found selected device; index: 1",
        "Device: Second dongle",
        "Portbase override active: " + port(0),
        "TCP server port opened: " + port(1),
        "UDP receiver port opened: " + port(2),
        "Port 30003 type TCP server opened: " + port(4),
        "HTTP server port opened: " + port(8),
        // The dialog's 31012 is index 1's own receive port: moved on by ten.
        "UDP target port changed!",
        "UDP target is: 127.0.0.1:31022",
    };
    got = linesFrom(want[0]);
    ASSERT_GE(got.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(want.size())), want);
    EXPECT_TRUE(hasLine("** Serial:       00000002"));
    EXPECT_EQ(st().captionSuffix, " - [ser=2] - Rafael R820T - Realtek - Second dongle");
}

TEST_F(DeviceFixture, StopsEarlyWithItsReason)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> env;
        std::vector<std::string> args;
        std::vector<std::string> tail; // the list from "Started..." on
    };
    const std::string missing = "/nonexistent/librtlsdr.so.0";
    const std::vector<Case> cases = {
        {"no device", {{"VARNOCK_SIM_DEVICES", "0"}}, {}, {"Started...", "No RTLSDR device found."}},
        {"missing library", {{kRtlSdrLibraryEnv, missing}}, {}, {"Started...", "Cannot find " + missing + "."}},
        {"serial not present",
         {},
         {"-ser=7"},
         {"Started...", "1 RTLSDR device(s) found.", "Trying ... serial no: 7", "Cannot find device: ser=00000007"}},
        {"two dongles to reprogram",
         {{"VARNOCK_SIM_DEVICES", "2"}},
         {"-eeprom"},
         {"Started...",
          "Cannot execute RTL2832U serial number reprogramming when more than 1 device is detected."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [k, v] : c.env) setEnv(k, v);
        make(c.args);
        start();
        EXPECT_EQ(linesFrom("Started..."), c.tail);
        EXPECT_FALSE(st().started);
        EXPECT_EQ(st().deviceHandle, nullptr);
        device.reset();
        engine.reset();
        test::clearSimulatorEnvironment();
#ifdef VARNOCK_SIMDONGLE_LIB
        setEnv(kRtlSdrLibraryEnv, VARNOCK_SIMDONGLE_LIB);
#endif
    }
}

// True when a fresh socket can take the port now: nothing of ours is left listening there.
bool portFree(int port)
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, quint16(port));
}

TEST_F(DeviceFixture, APortInUseEndsStartBeforeTheDeviceIsOpenedAndClosesWhatItOpened)
{
    makeWithFreePorts();
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::LocalHost, quint16(base + 4)));
    start();
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_NE(view.errors[0].find(std::to_string(base + 4)), std::string::npos) << view.errors[0];
    EXPECT_EQ(lines().back(), "UDP receiver port opened: " + std::to_string(base + 2));
    EXPECT_EQ(st().deviceHandle, nullptr);
    EXPECT_FALSE(st().started);
    EXPECT_TRUE(portFree(base + 1));
    QUdpSocket udp;
    EXPECT_TRUE(udp.bind(QHostAddress::LocalHost, quint16(base + 2)));
    udp.close();

    // A second START, once the port is free, comes up whole.
    squatter.close();
    start();
    EXPECT_TRUE(st().started) << ::testing::PrintToString(lines());
}

TEST_F(DeviceFixture, ABusyHttpPortClosesTheServersOpenedBeforeIt)
{
    makeWithFreePorts();
    DeviceControl::Hooks hooks;
    hooks.openHttp = [](int port) { return "Cannot open HTTP server port " + std::to_string(port) + ": busy"; };
    device->setHooks(hooks);
    start();
    EXPECT_EQ(view.errors, std::vector<std::string>{"Cannot open HTTP server port " + std::to_string(base + 8) + ": busy"});
    EXPECT_FALSE(st().started);
    EXPECT_EQ(st().deviceHandle, nullptr);
    EXPECT_TRUE(portFree(base + 1));
    EXPECT_TRUE(portFree(base + 4));
    QUdpSocket udp;
    EXPECT_TRUE(udp.bind(QHostAddress::LocalHost, quint16(base + 2)));
}

TEST_F(DeviceFixture, TheWebMapOpensAfterHttpUnlessSwitchedOff)
{
    const auto run = [this](std::vector<std::string> args, std::string webError) {
        makeWithFreePorts(std::move(args));
        DeviceControl::Hooks hooks;
        hooks.openHttp = [](int) { return std::string(); };
        hooks.openWeb = [this, webError](int port) {
            httpPorts.push_back(port);
            return webError;
        };
        device->setHooks(hooks);
        start();
    };
    run({}, "");
    EXPECT_TRUE(st().started) << ::testing::PrintToString(lines());
    EXPECT_EQ(httpPorts, std::vector<int>{base + 9});
    const std::vector<std::string> want = {
        "HTTP server port opened: " + std::to_string(base + 8),
        "Web map port opened: " + std::to_string(base + 9),
        "UDP target is: 127.0.0.1:31012",
    };
    std::vector<std::string> got = linesFrom(want[0]);
    ASSERT_GE(got.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 3), want);
    device.reset();
    engine.reset();

    httpPorts.clear();
    run({"-noweb"}, "");
    EXPECT_TRUE(st().started);
    EXPECT_TRUE(httpPorts.empty());
    EXPECT_FALSE(hasLine("Web map port opened: " + std::to_string(base + 9)));
    device.reset();
    engine.reset();

    const std::string busy = "Cannot open web map port " + std::to_string(base + 9) + ": busy";
    run({}, busy);
    EXPECT_FALSE(st().started);
    EXPECT_EQ(view.errors, std::vector<std::string>{busy});
    EXPECT_TRUE(portFree(base + 1));
}

TEST_F(DeviceFixture, APortPlanPast65535IsRefusedBeforeAnythingOpens)
{
    struct Case {
        std::vector<std::string> args;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {{"-portbase=65528"}, "Cannot open HTTP server port 65536: out of range"},
        {{"-portbase=65532"}, "Cannot open TCP server port 65536: out of range"},
        {{"-portbase=65534"}, "Cannot open UDP receiver port 65536: out of range"},
        {{"-portbase=65535"}, "Cannot open TCP server port 65536: out of range"},
        {{"-portbase=65532", "-30003"}, "Cannot open HTTP server port 65540: out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        make(c.args);
        start();
        const std::vector<std::string> all = lines();
        ASSERT_GE(all.size(), 2u);
        EXPECT_EQ(all[all.size() - 2], "Portbase override active: " + c.args[0].substr(10));
        EXPECT_EQ(all.back(), c.refusal);
        EXPECT_FALSE(st().started);
        EXPECT_EQ(st().deviceHandle, nullptr);
        EXPECT_TRUE(httpPorts.empty());
        EXPECT_TRUE(view.errors.empty());
        device.reset();
        engine.reset();
        httpPorts.clear();
    }
}

TEST_F(DeviceFixture, UdpTargetRules)
{
    // Index 0's own receive port in the dialog becomes 31012.
    settings.udpPort = "31002";
    makeWithFreePorts();
    start();
    EXPECT_TRUE(hasLine("UDP target port changed!"));
    EXPECT_TRUE(hasLine("UDP target is: 127.0.0.1:31012"));
    EXPECT_EQ(settings.udpPort, "31012");
    EXPECT_EQ(engine->servers().udpOut.targetPort(), 31012);
    device.reset();
    engine.reset();

    // The switch wins and the dialog shows its port.
    settings.udpPort = "31012";
    makeWithFreePorts({"-udptarget=40010"});
    start();
    EXPECT_FALSE(hasLine("UDP target port changed!"));
    EXPECT_TRUE(hasLine("UDP target is: 127.0.0.1:40012"));
    EXPECT_EQ(settings.udpPort, "40012");
    device.reset();
    engine.reset();

    // A port text that is no number, or a port nothing can be sent to, ends START with an error box
    // before any server is opened.
    for (const char* bad : {"abc", "0", "65536"}) {
        SCOPED_TRACE(bad);
        view.errors.clear();
        httpPorts.clear();
        settings.udpPort = bad;
        makeWithFreePorts();
        start();
        EXPECT_EQ(view.errors.size(), 1u);
        EXPECT_FALSE(st().started);
        EXPECT_EQ(st().deviceHandle, nullptr);
        EXPECT_TRUE(httpPorts.empty());
        EXPECT_TRUE(portFree(base + 1));
        EXPECT_EQ(settings.udpPort, bad);
        device.reset();
        engine.reset();
    }
}

TEST_F(DeviceFixture, TunerNamesOnTheListAndInTheCaption)
{
    struct Case {
        const char* type;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"0", "Unknown (type 0)"}, {"1", "Elonics E4000"}, {"2", "FC0012"},       {"3", "FC0013"},
        {"4", "FC2580"},           {"5", "Rafael R820T"},  {"6", "Rafael R828D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        setEnv("VARNOCK_SIM_0_TUNER", c.type);
        makeWithFreePorts();
        start();
        EXPECT_TRUE(hasLine("Tuner type: \"" + c.name + "\"")) << ::testing::PrintToString(lines());
        EXPECT_EQ(st().captionSuffix, " - " + c.name + " - Realtek - Generic RTL2832U OEM");
        device.reset();
        engine.reset();
    }
    EXPECT_EQ(tunerName(7), "Unknown (type 7)");
    EXPECT_EQ(tunerName(-1), "Unknown (type -1)");
}

TEST_F(DeviceFixture, RunSwitchIgnoresTheUsersStart)
{
    makeWithFreePorts({"-RUN"});
    device->BitBtn1Click(Sender::User);
    EXPECT_TRUE(lines().empty());
    device->BitBtn1Click(Sender::Program);
    EXPECT_TRUE(st().started);
}

TEST_F(DeviceFixture, AClickWhileStartIsRunningIsIgnored)
{
    makeWithFreePorts();
    view.onLine = [this](const std::string&) { device->BitBtn1Click(Sender::User); };
    start();
    view.onLine = nullptr;
    EXPECT_TRUE(st().started);
    EXPECT_EQ(linesFrom("Started...").size(), expectedStart(base, "").size());
    EXPECT_EQ(ends, 0);
}

TEST_F(DeviceFixture, StopEndsStreamingSavesAndEnds)
{
    makeWithFreePorts();
    start();
    ASSERT_TRUE(st().started);
    device->BitBtn1Click(Sender::User); // the caption is "STOP"
    EXPECT_TRUE(st().closingFlag);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(ends, 1);
    engine->joinStreaming(); // returns: the read was cancelled
    EXPECT_FALSE(engine->streaming());
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(DeviceFixture, ExitDialogNoKeepsRunning)
{
    makeWithFreePorts({"-exitdialog"});
    start();
    view.answers = {false};
    device->BitBtn1Click(Sender::User);
    EXPECT_EQ(view.questions, std::vector<std::string>{"Are you sure to exit?"});
    EXPECT_FALSE(st().closingFlag);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(engine->streaming());

    EXPECT_FALSE(device->closeQuery()); // the window's close asks too
    view.answers = {true};
    EXPECT_TRUE(device->closeQuery());
    EXPECT_TRUE(st().closingFlag);
    device->close(); // no second question once closing
    EXPECT_EQ(view.questions.size(), 3u);
    EXPECT_EQ(saves, 2);
}

TEST_F(DeviceFixture, CloseAppendsTheListToTheLogOnceAndSavesTheState)
{
    makeWithFreePorts({"-log"});
    start();
    ASSERT_TRUE(st().started);
    st().currentGainDb = 42.1;
    engine->receiver().controls.sblist = false;
    ASSERT_TRUE(device->closeQuery());
    device->close();
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(settings.gain, 42.1);
    EXPECT_FALSE(settings.list);
    EXPECT_FALSE(engine->receiver().options.log);

    std::vector<std::filesystem::path> logs;
    for (const auto& e : std::filesystem::directory_iterator(home_))
        if (e.path().extension() == ".log") logs.push_back(e.path());
    ASSERT_EQ(logs.size(), 1u);
    std::ifstream f(logs[0]);
    std::stringstream text;
    text << f.rdbuf();
    const std::string s = text.str();
    EXPECT_NE(s.find("Started...\n"), std::string::npos);
    EXPECT_EQ(s.find("Started...\n"), s.rfind("Started...\n")); // written once
    EXPECT_EQ(s.substr(s.size() - 2), "\n\n");                  // then one empty line
}

TEST_F(DeviceFixture, AFailedSaveIsShownAndTheExitGoesOn)
{
    makeWithFreePorts();
    start();
    saveError = "Unable to write to /read-only/varnock.ini";
    device->BitBtn1Click(Sender::User);
    EXPECT_EQ(view.errors, std::vector<std::string>{saveError});
    EXPECT_EQ(ends, 1);
}

TEST_F(DeviceFixture, SettingsListKeyReleasesTheListButtonAtTheEnd)
{
    settings.list = false;
    settings.modeS = false;
    settings.modeAc = true;
    makeWithFreePorts();
    EXPECT_TRUE(engine->receiver().controls.sblist); // down until START completes
    EXPECT_FALSE(st().sbsisexEnabled);
    start();
    EXPECT_FALSE(engine->receiver().controls.sblist);
    EXPECT_TRUE(engine->receiver().controls.sbmodeac);
}

TEST_F(DeviceFixture, AFailedStartKeepsTheLoadedListSetting)
{
    settings.list = false;
    setEnv("VARNOCK_SIM_DEVICES", "0");
    makeWithFreePorts();
    start();
    ASSERT_FALSE(st().started);
    ASSERT_TRUE(device->closeQuery());
    EXPECT_FALSE(settings.list);
    EXPECT_EQ(saves, 1);
    device.reset();
    engine.reset();

    // Once a START has completed, the button's state is what is saved.
    test::clearSimulatorEnvironment();
    setEnv(kRtlSdrLibraryEnv, VARNOCK_SIMDONGLE_LIB);
    makeWithFreePorts();
    start();
    ASSERT_TRUE(st().started);
    engine->receiver().controls.sblist = true;
    ASSERT_TRUE(device->closeQuery());
    EXPECT_TRUE(settings.list);
}

#endif // VARNOCK_SIMDONGLE_LIB

TEST_F(DeviceFixture, TheSystemLibraryWithoutADongleFindsNone)
{
    unsetenv(kRtlSdrLibraryEnv);
    RtlSdrLibrary probe;
    if (!probe.load()) GTEST_SKIP() << "no librtlsdr.so.0 on this machine";
    if (probe.api().get_device_count() != 0) GTEST_SKIP() << "a dongle is plugged in";
    probe.unload();

    make();
    start();
    EXPECT_EQ(linesFrom("Started..."), (std::vector<std::string>{"Started...", "No RTLSDR device found."}));
}

} // namespace
} // namespace varnock
