// Shared fixture of the device tests: an engine, a view that records, the simulated dongle's environment.
#pragma once

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QUdpSocket>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/controls_actions.h"
#include "app/device_control.h"
#include "app/engine.h"
#include "app/settings.h"
#include "app/switches.h"
#include "app/view.h"
#include "net/qt_test_support.h"

extern char** environ;

namespace varnock::test {

// Answers questions from a script (missing answers are No) and records what it was shown.
class RecordingView final : public View {
public:
    void messageLine(const std::string& text) override
    {
        mirrored.push_back(text);
        if (onLine) onLine(text);
    }
    bool askYesNo(const std::string& text, const std::string&, bool) override
    {
        questions.push_back(text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void errorBox(const std::string& text) override { errors.push_back(text); }
    bool reprogrammingDialog(int digits[8]) override
    {
        dialogShown.assign(digits, digits + 8);
        if (!dialogContinue) return false;
        for (int k = 0; k < 8; ++k) digits[k] = newDigits[k];
        return true;
    }

    std::function<void(const std::string&)> onLine; // what the user does while a line is shown
    std::vector<std::string> mirrored, questions, errors;
    std::deque<bool> answers;
    std::vector<int> dialogShown;
    bool dialogContinue = true;
    int newDigits[8] = {};
};

inline void clearSimulatorEnvironment()
{
    std::vector<std::string> names;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "VARNOCK_SIM_", 12) == 0) names.emplace_back(*e, std::strchr(*e, '=') - *e);
    for (const std::string& n : names) unsetenv(n.c_str());
}

inline void setEnv(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

// A port base whose four plan ports are free on the loopback address just now.
inline int freePortBase()
{
    // Below the kernel's ephemeral range (32768 up by default): a client socket of a test running
    // beside this one can take a port there between this check and the START that opens it.
    // Tests started together have neighbouring process ids: spread their first slots 37 apart, so
    // one test's next few bases are not the next test's first ones.
    static int next = 20000 + static_cast<int>((getpid() * 37) % 600) * 20;
    for (int tries = 0; tries < 400; ++tries) {
        const int base = next;
        next += 20;
        if (next > 32000) next = 20000;
        QTcpServer a, b, c, d;
        QUdpSocket u;
        if (a.listen(QHostAddress::LocalHost, quint16(base + 1)) && b.listen(QHostAddress::LocalHost, quint16(base + 4)) &&
            c.listen(QHostAddress::LocalHost, quint16(base + 8)) && d.listen(QHostAddress::LocalHost, quint16(base + 9)) &&
            u.bind(QHostAddress::LocalHost, quint16(base + 2)))
            return base;
    }
    return 0;
}

// True when the default plan of device `index` could be opened now.
inline bool planPortsFree(int index)
{
    const ServerPortPlan p = ServerPortPlan::forDevice(index);
    QTcpServer a, b;
    QUdpSocket u;
    return a.listen(QHostAddress::LocalHost, quint16(p.raw)) && b.listen(QHostAddress::LocalHost, quint16(p.lines)) &&
           u.bind(QHostAddress::LocalHost, quint16(p.udpReceive));
}

// One program instance: engine, settings, switches and START/STOP, on the simulated dongle unless
// told otherwise. The settings file lives in a temporary folder.
class DeviceFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        qtApp();
        clearSimulatorEnvironment();
        home_ = std::filesystem::temp_directory_path() /
                ("varnock-device-" + std::to_string(getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::create_directories(home_);
        setEnv("VARNOCK_HOME", home_.string());
#ifdef VARNOCK_SIMDONGLE_LIB
        setEnv(kRtlSdrLibraryEnv, VARNOCK_SIMDONGLE_LIB);
#endif
    }

    void TearDown() override
    {
        device.reset();
        engine.reset();
        clearSimulatorEnvironment();
        unsetenv(kRtlSdrLibraryEnv);
        unsetenv("VARNOCK_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }

    // Builds the instance with these arguments (program path added).
    void make(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), "varnock");
        switches = std::make_unique<Switches>(args);
        engine = std::make_unique<Engine>(&clock);
        engine->datacntr.stop(); // rounds only when a test runs one
        device = std::make_unique<DeviceControl>(*engine, view, settings, *switches);
        device->setListenAddress(QHostAddress::LocalHost);
        DeviceControl::Hooks hooks;
        hooks.saveSettings = [this] {
            ++saves;
            return saveError;
        };
        hooks.endApplication = [this] { ++ends; };
        hooks.openHttp = [this](int port) {
            httpPorts.push_back(port);
            return std::string();
        };
        device->setHooks(hooks);
        device->applySettings();
    }
    // With a free port base, so tests never meet each other's servers.
    void makeWithFreePorts(std::vector<std::string> args = {})
    {
        base = freePortBase();
        ASSERT_NE(base, 0);
        args.push_back("-portbase=" + std::to_string(base));
        make(std::move(args));
    }

    void start() { device->BitBtn1Click(Sender::Program); }
    DeviceState& st() { return device->state(); }
    ControlsActions& controls() { return device->controls(); }

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (const auto& it : engine->receiver().list.items()) out.push_back(it.text);
        return out;
    }
    // The list lines from the first one equal to `from` on.
    std::vector<std::string> linesFrom(const std::string& from) const
    {
        std::vector<std::string> all = lines();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i] == from) return {all.begin() + static_cast<std::ptrdiff_t>(i), all.end()};
        return {};
    }
    bool hasLine(const std::string& l) const
    {
        for (const std::string& x : lines())
            if (x == l) return true;
        return false;
    }
    void clearList() { engine->receiver().list.clear(); }

    VirtualClock clock;
    RecordingView view;
    Settings settings;
    std::unique_ptr<Switches> switches;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<DeviceControl> device;
    int base = 0;
    int saves = 0;
    int ends = 0;
    std::string saveError;
    std::vector<int> httpPorts;
    std::filesystem::path home_;

private:
    static inline int counter_ = 0;
};

} // namespace varnock::test
