// Settings: every persistent value of varnock.ini, with its default, and its load/save through one key table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ini_file.h"

namespace varnock {

struct Settings {
    // [sdr]
    double gain = 24.0;          // currentGainDb
    bool tunerAgc = true;        // butuneragc down
    bool rtlAgc = true;          // burtlagc down
    bool modeS = true;           // sbmodes down
    bool modeAc = false;         // sbmodeac down
    bool list = true;            // sblist down (raw packet lines on the list)
    int sampleRate = 2000000;    // currentSampleRate
    // [form]
    int formLeft = 10;
    int formTop = 10;
    // [tables]: the defaults are drawn per start (defaultTableName)
    std::string table1;
    std::string table2;
    std::string table3;
    std::string table4;
    // [udp]
    std::string udpIp = "127.0.0.1";
    std::string udpPort = "31012";
    bool udpOut = false;         // sbudpout down
    // [id]
    std::string id;
    // [form2]
    int form2Left = 10;
    int form2Top = 10;
    // [home]
    double homeNorth = 0.0;
    double homeEast = 0.0;
    std::string homeSNorth;      // latitude text as last typed
    std::string homeSEast;       // longitude text as last typed
    bool homeUse = false;        // cblocal
    // [sisex]
    int sisexLeft = 100;
    int sisexTop = 100;
    int contrast = 4;
    int threshold = 12;
    int contrastZ = 4;
    int thresholdZ = 12;
    std::string lastDir;         // default: the program folder
    int ytSpan = 8;

    // Not stored: set by loadMainSettings.
    std::int64_t currentFrequency = 0;

    bool operator==(const Settings&) const = default;
};

// Random source for the table-name defaults: returns an integer in 0..899998.
using TableNameRandom = std::function<int()>;

// Letter 'A'+n-1 followed by the six digits of random() + 100000; n in 1..4.
std::string defaultTableName(int n, const TableNameRandom& random);

// A TableNameRandom seeded from the clock, as at each program start.
TableNameRandom clockSeededTableNameRandom();

// What decides the program folder (settings, list logs): the process environment and the executable.
struct FolderEnvironment {
    std::string varnockHome;   // $VARNOCK_HOME
    std::string xdgConfigHome; // $XDG_CONFIG_HOME
    std::string home;          // $HOME, else the user's home from the password database
    std::string exeFolder;     // folder of the running executable, ends in '/'
    static FolderEnvironment ofProcess();
};

// $VARNOCK_HOME if set and not empty, else $XDG_CONFIG_HOME/varnock (when absolute), else
// ~/.config/varnock; ends in '/'. Never the build folder, so that a clean build keeps the settings.
std::string programFolder(const FolderEnvironment& env);
std::string programFolder();

// First use: creates the program folder and, unless $VARNOCK_HOME chose it, moves a settings file
// found beside the executable into it when it holds none yet. Returns the list lines that say so.
std::vector<std::string> prepareProgramFolder(const FolderEnvironment& env);

// A value outside what the receiver can use: the key falls back to its default and this line says so.
using SettingsReport = std::function<void(const std::string&)>;

// Reads sdr/gain .. tables/table4 in file-table order and sets currentFrequency. Missing or unreadable
// values take their defaults (table names drawn from `random`); so do values out of range, each with a
// line to `report`.
void loadMainSettings(Settings& s, const IniFile& ini, const TableNameRandom& random,
                      const SettingsReport& report = {});

// Reads udp/ip .. sisex/ytspan in file-table order; lastdir defaults to `programFolderPath`.
void loadDialogAndExplorerSettings(Settings& s, const IniFile& ini, const std::string& programFolderPath,
                                   const SettingsReport& report = {});

// Writes every key in save order and replaces the file once with the result; when that cannot be
// done the old file stays as it was. Returns "Unable to write to " + the file's path then, else "".
std::string saveSettings(const Settings& s, IniFile& ini);

} // namespace varnock
