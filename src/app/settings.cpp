// Settings: the key table of varnock.ini and the load and save passes over it.
#include "app/settings.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string_view>
#include <type_traits>
#include <variant>

#include <filesystem>
#include <optional>

#include <limits.h>
#include <pwd.h>
#include <unistd.h>

namespace varnock {

namespace {

using Member = std::variant<double Settings::*, bool Settings::*, int Settings::*, std::string Settings::*>;

// Where a key's default comes from: the initialiser in Settings, a table name drawn per start, or the
// program folder.
enum class DefaultFrom { Struct, TableName, ProgramFolder };

// What a readable value must also be to be used.
enum class Check { None, Range, PortText, SampleRate };

// The demodulators work at one rate each: 2 Msps for Mode S, 2,068,965 S/s for Mode A/C.
constexpr int kModeSRate = 2000000;
constexpr int kModeAcRate = 2068965;

struct KeySpec {
    std::string_view section;
    std::string_view key;
    Member member;
    DefaultFrom from = DefaultFrom::Struct;
    int tableNumber = 0;
    Check check = Check::None;
    double lo = 0.0, hi = 0.0; // inclusive, for Check::Range
};

// Window edges: what a desktop of several screens can place.
constexpr double kEdgeMin = -32768, kEdgeMax = 32767;

// In read order. The main pass ends with tables/table4. The sample rate has one usable value, that of
// the mode read before it; any other stops all reception.
const std::array<KeySpec, 32> kKeys{{
    {.section = "sdr", .key = "gain", .member = &Settings::gain, .check = Check::Range, .lo = -10, .hi = 60},
    {"sdr", "tuneragc", &Settings::tunerAgc},
    {"sdr", "rtlagc", &Settings::rtlAgc},
    {"sdr", "modes", &Settings::modeS},
    {"sdr", "modeac", &Settings::modeAc},
    {"udp", "out", &Settings::udpOut},
    {"sdr", "list", &Settings::list},
    {.section = "sdr", .key = "samplerate", .member = &Settings::sampleRate, .check = Check::SampleRate},
    {.section = "form", .key = "left", .member = &Settings::formLeft, .check = Check::Range, .lo = kEdgeMin, .hi = kEdgeMax},
    {.section = "form", .key = "top", .member = &Settings::formTop, .check = Check::Range, .lo = kEdgeMin, .hi = kEdgeMax},
    {"tables", "table1", &Settings::table1, DefaultFrom::TableName, 1},
    {"tables", "table2", &Settings::table2, DefaultFrom::TableName, 2},
    {"tables", "table3", &Settings::table3, DefaultFrom::TableName, 3},
    {"tables", "table4", &Settings::table4, DefaultFrom::TableName, 4},
    {"udp", "ip", &Settings::udpIp},
    {.section = "udp", .key = "port", .member = &Settings::udpPort, .check = Check::PortText},
    {"id", "id", &Settings::id},
    {.section = "form2", .key = "left", .member = &Settings::form2Left, .check = Check::Range, .lo = kEdgeMin, .hi = kEdgeMax},
    {.section = "form2", .key = "top", .member = &Settings::form2Top, .check = Check::Range, .lo = kEdgeMin, .hi = kEdgeMax},
    {.section = "home", .key = "north", .member = &Settings::homeNorth, .check = Check::Range, .lo = -90, .hi = 90},
    {.section = "home", .key = "east", .member = &Settings::homeEast, .check = Check::Range, .lo = -180, .hi = 180},
    {"home", "snorth", &Settings::homeSNorth},
    {"home", "seast", &Settings::homeSEast},
    {"home", "use", &Settings::homeUse},
    {.section = "sisex", .key = "left", .member = &Settings::sisexLeft, .check = Check::Range, .lo = kEdgeMin, .hi = kEdgeMax},
    {.section = "sisex", .key = "top", .member = &Settings::sisexTop, .check = Check::Range, .lo = kEdgeMin, .hi = kEdgeMax},
    {.section = "sisex", .key = "contrast", .member = &Settings::contrast, .check = Check::Range, .lo = 1, .hi = 30},
    {.section = "sisex", .key = "threshold", .member = &Settings::threshold, .check = Check::Range, .lo = 0, .hi = 255},
    {.section = "sisex", .key = "contrastz", .member = &Settings::contrastZ, .check = Check::Range, .lo = 1, .hi = 30},
    {.section = "sisex", .key = "thresholdz", .member = &Settings::thresholdZ, .check = Check::Range, .lo = 0, .hi = 255},
    {"sisex", "lastdir", &Settings::lastDir, DefaultFrom::ProgramFolder},
    {.section = "sisex", .key = "ytspan", .member = &Settings::ytSpan, .check = Check::Range, .lo = 5, .hi = 8},
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

// The file's text of a value, cut short for a list line.
std::string shownValue(const IniFile& ini, const KeySpec& k)
{
    std::string v = ini.readValue(k.section, k.key).value_or(std::string());
    if (v.size() > 24) v = v.substr(0, 24) + "...";
    return v;
}

void reportOutOfRange(const IniFile& ini, const KeySpec& k, const std::string& def, const SettingsReport& report)
{
    if (report)
        report("Setting out of range: [" + std::string(k.section) + "] " + std::string(k.key) + "=" +
               shownValue(ini, k) + ", default " + def + " used");
}

void readKey(Settings& s, const IniFile& ini, const KeySpec& k, const TableNameRandom* random,
             const std::string& folder, const SettingsReport& report)
{
    static const Settings kDefaults;
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(s.*member)>;
            if constexpr (std::is_same_v<T, double> || std::is_same_v<T, int>) {
                const T def = kDefaults.*member;
                T v;
                if constexpr (std::is_same_v<T, double>) v = ini.readFloat(k.section, k.key, def);
                else v = ini.readInt(k.section, k.key, def);
                T want = def;
                bool usable = true;
                if (k.check == Check::Range) {
                    usable = v >= k.lo && v <= k.hi;
                } else if (k.check == Check::SampleRate) {
                    want = static_cast<T>(s.modeAc ? kModeAcRate : kModeSRate);
                    // Missing or unreadable: silently the mode's own rate, as for any default.
                    const std::optional<std::string> text = ini.readValue(k.section, k.key);
                    if (!text || !IniFile::parseInt(*text)) v = want;
                    usable = v == want;
                }
                if (!usable) {
                    std::string shown;
                    if constexpr (std::is_same_v<T, double>) shown = IniFile::formatFloat(want, ini.decimalSeparator());
                    else shown = std::to_string(want);
                    reportOutOfRange(ini, k, shown, report);
                    v = want;
                }
                s.*member = v;
            } else if constexpr (std::is_same_v<T, bool>) {
                s.*member = ini.readBool(k.section, k.key, kDefaults.*member);
            } else {
                std::string def = kDefaults.*member;
                if (k.from == DefaultFrom::TableName && random != nullptr) def = defaultTableName(k.tableNumber, *random);
                if (k.from == DefaultFrom::ProgramFolder) def = folder;
                std::string v = ini.readString(k.section, k.key, def);
                // A number that is no port is refused here; other text is the dialog's as typed, and START
                // says what is wrong with it.
                if (k.check == Check::PortText) {
                    const std::optional<int> port = IniFile::parseInt(v);
                    if (port && (*port < 1 || *port > 65535)) {
                        reportOutOfRange(ini, k, def, report);
                        v = def;
                    }
                }
                s.*member = v;
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

namespace {

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string envText(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

constexpr const char* kSettingsFileName = "varnock.ini";

} // namespace

FolderEnvironment FolderEnvironment::ofProcess()
{
    FolderEnvironment env;
    env.varnockHome = envText("VARNOCK_HOME");
    env.xdgConfigHome = envText("XDG_CONFIG_HOME");
    env.home = envText("HOME");
    if (env.home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) env.home = pw->pw_dir;
    }
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) {
        const std::string exe(buf, static_cast<std::size_t>(n));
        const std::size_t slash = exe.rfind('/');
        if (slash != std::string::npos) env.exeFolder = exe.substr(0, slash + 1);
    }
    return env;
}

std::string programFolder(const FolderEnvironment& env)
{
    if (!env.varnockHome.empty()) return withSlash(env.varnockHome);
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    if (!env.xdgConfigHome.empty() && env.xdgConfigHome.front() == '/') return withSlash(env.xdgConfigHome) + "varnock/";
    if (!env.home.empty()) return withSlash(env.home) + ".config/varnock/";
    return "./";
}

std::string programFolder()
{
    return programFolder(FolderEnvironment::ofProcess());
}

std::vector<std::string> prepareProgramFolder(const FolderEnvironment& env)
{
    namespace fs = std::filesystem;
    std::vector<std::string> lines;
    const std::string folder = programFolder(env);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        lines.push_back("Cannot create folder " + folder + ": " + ec.message());
        return lines;
    }
    if (!env.varnockHome.empty() || env.exeFolder.empty()) return lines;
    const fs::path from = fs::path(env.exeFolder) / kSettingsFileName;
    const fs::path to = fs::path(folder) / kSettingsFileName;
    if (fs::equivalent(from.parent_path(), to.parent_path(), ec)) return lines;
    if (!fs::is_regular_file(from, ec) || fs::exists(to, ec)) return lines;
    // A copy, then the removal: a rename cannot cross file systems, and the copy must be whole first.
    const fs::path part = fs::path(folder) / "varnock.ini.moving";
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(part, to, ec);
    if (ec) {
        fs::remove(part, ec);
        lines.push_back("Cannot move " + from.string() + " to " + to.string());
        return lines;
    }
    if (fs::remove(from, ec))
        lines.push_back("Settings file moved from " + from.string() + " to " + to.string());
    else
        lines.push_back("Settings file copied from " + from.string() + " to " + to.string() + " (the old one stays)");
    return lines;
}

void loadMainSettings(Settings& s, const IniFile& ini, const TableNameRandom& random, const SettingsReport& report)
{
    s.currentFrequency = 1090000000;
    for (std::size_t i = 0; i < kMainKeyCount; ++i) readKey(s, ini, kKeys[i], &random, std::string(), report);
    // The two mode buttons are one group: pressing MODE-AC (read last) releases MODE-S.
    if (s.modeAc) s.modeS = false;
}

void loadDialogAndExplorerSettings(Settings& s, const IniFile& ini, const std::string& programFolderPath,
                                   const SettingsReport& report)
{
    for (std::size_t i = kMainKeyCount; i < kKeys.size(); ++i)
        readKey(s, ini, kKeys[i], nullptr, programFolderPath, report);
}

std::string saveSettings(const Settings& s, IniFile& ini)
{
    // One replacement for all keys: a failure leaves the old file as it was, not half saved.
    bool ok = ini.beginBatch();
    for (std::size_t k = 0; ok && k < kSaveOrder.size(); ++k) ok = writeKey(s, ini, kKeys[kSaveOrder[k]]);
    ok = ini.commitBatch() && ok;
    return ok ? std::string() : "Unable to write to " + ini.path();
}

} // namespace varnock
