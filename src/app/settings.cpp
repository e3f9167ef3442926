// Settings: the key table of varnock.ini and the load and save passes over it.
#include "app/settings.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string_view>
#include <type_traits>
#include <variant>

#include <limits.h>
#include <unistd.h>

namespace varnock {

namespace {

using Member = std::variant<double Settings::*, bool Settings::*, int Settings::*, std::string Settings::*>;

// Where a key's default comes from: the initialiser in Settings, a table name drawn per start, or the
// program folder.
enum class DefaultFrom { Struct, TableName, ProgramFolder };

struct KeySpec {
    std::string_view section;
    std::string_view key;
    Member member;
    DefaultFrom from = DefaultFrom::Struct;
    int tableNumber = 0;
};

// In read order. The main pass ends with tables/table4.
const std::array<KeySpec, 32> kKeys{{
    {"sdr", "gain", &Settings::gain},
    {"sdr", "tuneragc", &Settings::tunerAgc},
    {"sdr", "rtlagc", &Settings::rtlAgc},
    {"sdr", "modes", &Settings::modeS},
    {"sdr", "modeac", &Settings::modeAc},
    {"udp", "out", &Settings::udpOut},
    {"sdr", "list", &Settings::list},
    {"sdr", "samplerate", &Settings::sampleRate},
    {"form", "left", &Settings::formLeft},
    {"form", "top", &Settings::formTop},
    {"tables", "table1", &Settings::table1, DefaultFrom::TableName, 1},
    {"tables", "table2", &Settings::table2, DefaultFrom::TableName, 2},
    {"tables", "table3", &Settings::table3, DefaultFrom::TableName, 3},
    {"tables", "table4", &Settings::table4, DefaultFrom::TableName, 4},
    {"udp", "ip", &Settings::udpIp},
    {"udp", "port", &Settings::udpPort},
    {"id", "id", &Settings::id},
    {"form2", "left", &Settings::form2Left},
    {"form2", "top", &Settings::form2Top},
    {"home", "north", &Settings::homeNorth},
    {"home", "east", &Settings::homeEast},
    {"home", "snorth", &Settings::homeSNorth},
    {"home", "seast", &Settings::homeSEast},
    {"home", "use", &Settings::homeUse},
    {"sisex", "left", &Settings::sisexLeft},
    {"sisex", "top", &Settings::sisexTop},
    {"sisex", "contrast", &Settings::contrast},
    {"sisex", "threshold", &Settings::threshold},
    {"sisex", "contrastz", &Settings::contrastZ},
    {"sisex", "thresholdz", &Settings::thresholdZ},
    {"sisex", "lastdir", &Settings::lastDir, DefaultFrom::ProgramFolder},
    {"sisex", "ytspan", &Settings::ytSpan},
}};

constexpr std::size_t kMainKeyCount = 14;

// Positions in kKeys, in the order the file is written at exit.
constexpr std::array<std::size_t, 32> kSaveOrder{
    0, 1, 2, 3, 4, 6, 7,                // sdr
    8, 9, 17, 18,                       // form, form2
    14, 15, 5,                          // udp ip, port, out
    19, 20, 21, 22, 23,                 // home
    16,                                 // id
    10, 11, 12, 13,                     // tables
    24, 25, 26, 27, 28, 29, 30, 31,     // sisex
};

void readKey(Settings& s, const IniFile& ini, const KeySpec& k, const TableNameRandom* random,
             const std::string& folder)
{
    static const Settings kDefaults;
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(s.*member)>;
            if constexpr (std::is_same_v<T, double>) {
                s.*member = ini.readFloat(k.section, k.key, kDefaults.*member);
            } else if constexpr (std::is_same_v<T, bool>) {
                s.*member = ini.readBool(k.section, k.key, kDefaults.*member);
            } else if constexpr (std::is_same_v<T, int>) {
                s.*member = ini.readInt(k.section, k.key, kDefaults.*member);
            } else {
                std::string def = kDefaults.*member;
                if (k.from == DefaultFrom::TableName && random != nullptr) def = defaultTableName(k.tableNumber, *random);
                if (k.from == DefaultFrom::ProgramFolder) def = folder;
                s.*member = ini.readString(k.section, k.key, def);
            }
        },
        k.member);
}

bool writeKey(const Settings& s, IniFile& ini, const KeySpec& k)
{
    return std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(s.*member)>;
            if constexpr (std::is_same_v<T, double>) return ini.writeFloat(k.section, k.key, s.*member);
            else if constexpr (std::is_same_v<T, bool>) return ini.writeBool(k.section, k.key, s.*member);
            else if constexpr (std::is_same_v<T, int>) return ini.writeInt(k.section, k.key, s.*member);
            else return ini.writeString(k.section, k.key, s.*member);
        },
        k.member);
}

} // namespace

std::string defaultTableName(int n, const TableNameRandom& random)
{
    int r = random();
    if (r < 0 || r > 899998) r = 0; // a foreign source must still give six digits
    return std::string(1, static_cast<char>('@' + n)) + std::to_string(r + 100000);
}

TableNameRandom clockSeededTableNameRandom()
{
    auto seed = static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count());
    return [gen = std::mt19937(seed)]() mutable { return std::uniform_int_distribution<int>(0, 899998)(gen); };
}

std::string programFolder()
{
    std::string folder;
    if (const char* home = std::getenv("VARNOCK_HOME"); home != nullptr && home[0] != '\0') {
        folder = home;
    } else {
        char buf[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n > 0) {
            std::string exe(buf, static_cast<std::size_t>(n));
            std::size_t slash = exe.rfind('/');
            folder = slash == std::string::npos ? "." : exe.substr(0, slash + 1);
        } else {
            folder = ".";
        }
    }
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string settingsFilePath()
{
    return programFolder() + "varnock.ini";
}

void loadMainSettings(Settings& s, const IniFile& ini, const TableNameRandom& random)
{
    s.currentFrequency = 1090000000;
    for (std::size_t i = 0; i < kMainKeyCount; ++i) readKey(s, ini, kKeys[i], &random, std::string());
    // The two mode buttons are one group: pressing MODE-AC (read last) releases MODE-S.
    if (s.modeAc) s.modeS = false;
}

void loadDialogAndExplorerSettings(Settings& s, const IniFile& ini, const std::string& programFolderPath)
{
    for (std::size_t i = kMainKeyCount; i < kKeys.size(); ++i) readKey(s, ini, kKeys[i], nullptr, programFolderPath);
}

std::string saveSettings(const Settings& s, IniFile& ini)
{
    for (std::size_t i : kSaveOrder)
        if (!writeKey(s, ini, kKeys[i])) return "Unable to write to " + ini.path();
    return std::string();
}

} // namespace varnock
