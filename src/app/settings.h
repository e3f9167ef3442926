// Settings: every persistent value of varnock.ini, with its default, and its load/save through one key table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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

// The program folder: $VARNOCK_HOME if set and not empty, else the folder of the executable; ends in '/'.
std::string programFolder();

// programFolder() + "varnock.ini".
std::string settingsFilePath();

// Reads sdr/gain .. tables/table4 in file-table order and sets currentFrequency. Missing or unreadable
// values take their defaults (table names drawn from `random`).
void loadMainSettings(Settings& s, const IniFile& ini, const TableNameRandom& random);

// Reads udp/ip .. sisex/ytspan in file-table order; lastdir defaults to `programFolderPath`.
void loadDialogAndExplorerSettings(Settings& s, const IniFile& ini, const std::string& programFolderPath);

// Writes every key in save order and stops at the first key that cannot be written. Returns
// "Unable to write to " + the file's path then, else an empty string.
std::string saveSettings(const Settings& s, IniFile& ini);

} // namespace varnock
