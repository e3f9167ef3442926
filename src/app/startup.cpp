// Start-up pieces: banner text, command-line cleaning, list log creation and Timer1.
#include "app/startup.h"

namespace varnock {

std::string versionText()
{
    return std::string("V ") + VARNOCK_VERSION;
}

std::string rawCommandLine(const std::vector<std::string>& args)
{
    std::string line;
    if (args.empty()) return line;
    line = "\"" + args[0] + "\"";
    for (std::size_t i = 1; i < args.size(); ++i) line += " " + args[i];
    return line;
}

std::string cleanCommandLine(std::string_view raw)
{
    std::string text(raw);
    std::size_t q = text.find('"');
    if (q != std::string::npos) {
        std::size_t next = text.find('"', q + 1);
        text.erase(q + 1, (next == std::string::npos ? text.size() : next) - (q + 1));
        std::erase(text, '"');
    }
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

void writeBanner(const LogLineWriter& writeLogLine, std::string_view cleanedCommandLine)
{
    const std::string rule(40, '=');
    writeLogLine(rule);
    writeLogLine("varnock " + versionText());
    writeLogLine(rule);
    writeLogLine("Command line: " + std::string(cleanedCommandLine));
    writeLogLine(std::string());
}

void loadSettingsAtStartup(Settings& s, const IniFile& ini, const TableNameRandom& random,
                           const std::string& programFolderPath, const SettingsReport& report)
{
    loadMainSettings(s, ini, random, report);
    loadDialogAndExplorerSettings(s, ini, programFolderPath, report);
}

ListLogFile createListLogFile(const LocalDateTime& startTime, const std::string& folder)
{
    ListLogFile file(listLogFileName(startTime, folder));
    file.create();
    return file;
}

void StartupTimer::fire()
{
    if (fired_) return;
    fired_ = true;
    if (actions_.refresh) actions_.refresh();
    if (actions_.wait) actions_.wait(kBeforeStartMs);
    if (switches_.run() && actions_.pressStart) actions_.pressStart();
    if (actions_.wait) actions_.wait(kBeforeHideMs);
    if (switches_.min() && actions_.hideToTray) actions_.hideToTray();
}

StartupTimerDriver::StartupTimerDriver(StartupTimer& timer, int delayMs)
{
    timer1.setSingleShot(true);
    timer1.setInterval(delayMs);
    timer1.callOnTimeout([&timer] { timer.fire(); });
    timer1.start();
}

} // namespace varnock
