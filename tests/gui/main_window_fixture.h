// Shared fixture of the main-window tests: a receiver program on the simulated dongle under the window.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/device_control.h"
#include "app/receiver_program.h"
#include "app/test_device_support.h"
#include "gui/gui_view.h"
#include "gui/main_window.h"
#include "gui_test_support.h"

namespace varnock::test {

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        guiApp();
        clearSimulatorEnvironment();
        home_ = std::filesystem::temp_directory_path() / ("varnock-gui-" + std::to_string(getpid()) + "-" +
                                                          std::to_string(counter_++));
        std::filesystem::create_directories(home_);
        setEnv("VARNOCK_HOME", home_.string());
        setEnv("VARNOCK_SIM_0_GAINS", "0,90,240,496");
#ifdef VARNOCK_SIMDONGLE_LIB
        setEnv(kRtlSdrLibraryEnv, VARNOCK_SIMDONGLE_LIB);
#endif
    }

    void TearDown() override
    {
        if (program) program->finish(0); // the device lets go of the view first
        view.reset();
        window.reset();
        program.reset();
        clearSimulatorEnvironment();
        unsetenv(kRtlSdrLibraryEnv);
        unsetenv("VARNOCK_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }

    // The program as the desktop runs it, on free loopback ports; no start-up timer during a test.
    void make(std::vector<std::string> args = {})
    {
        const int base = freePortBase();
        ASSERT_NE(base, 0);
        args.insert(args.begin(), "varnock");
        args.push_back("-portbase=" + std::to_string(base));
        ReceiverProgram::Setup setup;
        setup.args = args;
        setup.listenAddress = QHostAddress::LocalHost;
        setup.startupDelayMs = startupDelayMs;
        program = std::make_unique<ReceiverProgram>(std::move(setup));
        program->engine().datacntr.stop(); // rounds only when a test runs one
        window = std::make_unique<MainWindow>(program->engine(), program->settings());
        view = std::make_unique<GuiView>(*window);
        view->setAsk([this](const std::string& text, const std::string&, bool) {
            questions.push_back(text);
            return answerYes;
        });
        view->setErrorBox([this](const std::string& text) { errors.push_back(text); });
        program->attach(*view);
        window->setDeviceControl(&program->device());
    }

    template <typename T = QWidget>
    T* w(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAbstractButton* button(const char* name) const { return w<QAbstractButton>(name); }

    DeviceState& st() { return program->device().state(); }
    Controls& controls() { return program->engine().receiver().controls; }

    bool hasLine(const std::string& l) const
    {
        for (const auto& it : program->engine().receiver().list.items())
            if (it.text == l) return true;
        return false;
    }

    std::unique_ptr<ReceiverProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<GuiView> view;
    std::vector<std::string> questions, errors;
    bool answerYes = false;
    int startupDelayMs = 3600 * 1000; // the start-up timer stays out of a test unless it asks
    std::filesystem::path home() const { return home_; }

private:
    std::filesystem::path home_;
    static inline int counter_ = 0;
};

} // namespace varnock::test
