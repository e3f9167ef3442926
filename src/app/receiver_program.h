// ReceiverProgram: the receiver put together - engine, settings, device control, HTTP pages and the way out.
#pragma once

#include <QHostAddress>

#include <functional>

#include <memory>
#include <string>
#include <vector>

#include "app/engine.h"
#include "app/ini_file.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/switches.h"
#include "flights/http_tables.h"

namespace varnock {

class DeviceControl;
class HttpServer;
class WebServer;
class View;

class ReceiverProgram {
public:
    struct Setup {
        std::vector<std::string> args;                               // as the system gave them, program path first
        FolderEnvironment folders = FolderEnvironment::ofProcess();
        TableNameRandom random;                                      // empty: seeded from the clock
        const Clock* clock = nullptr;                                // null: the system clock
        QHostAddress listenAddress = QHostAddress::Any;
        int startupDelayMs = StartupTimer::kDelayMs;
    };

    // The banner, the program folder, the settings and the home location: everything before a view.
    explicit ReceiverProgram(Setup setup);
    ~ReceiverProgram();
    ReceiverProgram(const ReceiverProgram&) = delete;
    ReceiverProgram& operator=(const ReceiverProgram&) = delete;

    // Device control on `view` (which must outlive finish()), the settings applied, the HTTP pages
    // and the start-up timer. Once.
    void attach(View& view);
    // What "min" does when the start-up timer fires (the window hides to the notification area).
    void setHideToTray(std::function<void()> hide) { hideToTray_ = std::move(hide); }

    // The user asked to end: the close query (which may keep the program running), then the close.
    void endApplication();
    // After the event loop: servers and device down. The exit status: `loopResult`, or 1 when the
    // last save of the settings failed.
    int finish(int loopResult);

    Engine& engine() { return *engine_; }
    DeviceControl& device() { return *device_; }
    HttpServer& http() { return *http_; }
    WebServer& web() { return *web_; }
    Settings& settings() { return settings_; }
    IniFile& ini() { return ini_; }
    const std::string& folder() const { return folder_; }
    // What the HTTP pages read at each request.
    HttpPageInputs pageInputs() const;
    bool saveFailed() const { return saveFailed_; }
    bool ended() const { return ended_; }

private:
    std::string saveNow();

    Setup setup_;
    Switches switches_;
    std::string folder_;
    std::unique_ptr<Engine> engine_;
    Settings settings_;
    IniFile ini_;
    std::unique_ptr<DeviceControl> device_;
    std::unique_ptr<HttpServer> http_;
    std::unique_ptr<WebServer> web_;
    std::unique_ptr<StartupTimer> timer1_;
    std::unique_ptr<StartupTimerDriver> timer1Driver_;
    std::function<void()> hideToTray_;
    std::string reportedSaveError_;
    bool saveFailed_ = false;
    bool quitting_ = false;
    bool ended_ = false;
};

} // namespace varnock
