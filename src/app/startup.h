// Start-up pieces: banner, cleaned command line, list log creation, and the one-shot start-up timer.
#pragma once

#include <QTimer>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "app/switches.h"
#include "core/clock.h"
#include "flights/list_model.h"

namespace varnock {

using LogLineWriter = std::function<void(const std::string&)>;

// "V a.b.c.d" from the build's version.
std::string versionText();

// The command line as one text: the program path in double quotes, then each argument after a blank.
std::string rawCommandLine(const std::vector<std::string>& args);

// Drops the quoted program path: after the first double quote everything up to the next one goes, then
// every double quote, then blanks at both ends. A text without quotes stays whole.
std::string cleanCommandLine(std::string_view raw);

// The five lines that open the list: "=" rule, name and version, "=" rule, command line, empty line.
void writeBanner(const LogLineWriter& writeLogLine, std::string_view cleanedCommandLine);

// Step 4 of program start: main settings, then dialog and explorer settings.
void loadSettingsAtStartup(Settings& s, const IniFile& ini, const TableNameRandom& random,
                           const std::string& programFolderPath, const SettingsReport& report = {});

// START with "log": the list log named by the local time of START, created empty. Errors are ignored.
ListLogFile createListLogFile(const LocalDateTime& startTime, const std::string& folder);

// Timer1: once, 1.75 s after start - a refresh, then START as the program with "run", then the window
// hidden with "min".
class StartupTimer {
public:
    static constexpr int kDelayMs = 1750;
    static constexpr int kBeforeStartMs = 100;
    static constexpr int kBeforeHideMs = 333;

    struct Actions {
        std::function<void()> refresh;       // the 2 s refresh, run once at once
        std::function<void(int)> wait;       // waits that keep the event loop serviced
        std::function<void()> pressStart;    // START without a sender, so the "run" guard does not apply
        std::function<void()> hideToTray;
    };

    StartupTimer(const Switches& switches, Actions actions) : switches_(switches), actions_(std::move(actions)) {}

    // Timer1Timer. Only the first call acts.
    void fire();
    bool fired() const { return fired_; }

private:
    const Switches& switches_;
    Actions actions_;
    bool fired_ = false;
};

// Drives a StartupTimer from a single-shot QTimer started at construction.
class StartupTimerDriver {
public:
    StartupTimerDriver(StartupTimer& timer, int delayMs = StartupTimer::kDelayMs);
    QTimer timer1;
};

} // namespace varnock
