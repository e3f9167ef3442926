// Tests of Settings: first start, the file after the first exit, unreadable values, mode group, failures.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/startup.h"

namespace varnock {
namespace {

namespace fs = std::filesystem;

// Hands out the given numbers in turn.
TableNameRandom sequence(std::vector<int> values)
{
    return [values, i = std::size_t{0}]() mutable { return values[i++ % values.size()]; };
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "varnock-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        folder = dir.string() + "/";
        path = folder + "varnock.ini";
    }
    void TearDown() override { fs::remove_all(dir); }
    void put(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string get() const
    {
        std::ifstream f(path, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    Settings load(char sep = '.')
    {
        Settings s;
        IniFile ini(path, sep);
        loadSettingsAtStartup(s, ini, sequence({0, 899998, 12345, 5}), folder);
        return s;
    }

    fs::path dir;
    std::string folder;
    std::string path;
};

TEST_F(SettingsTest, FirstStartGivesEveryDefaultAndTheFirstExitWritesEveryKey)
{
    Settings s = load();
    Settings want;
    want.currentFrequency = 1090000000;
    want.table1 = "A100000";
    want.table2 = "B999998";
    want.table3 = "C112345";
    want.table4 = "D100005";
    want.lastDir = folder;
    EXPECT_EQ(s, want);
    EXPECT_EQ(s.gain, 24.0);
    EXPECT_TRUE(s.tunerAgc && s.rtlAgc && s.modeS && s.list);
    EXPECT_FALSE(s.modeAc || s.udpOut || s.homeUse);
    EXPECT_EQ(s.sampleRate, 2000000);
    EXPECT_EQ(s.udpIp + ":" + s.udpPort, "127.0.0.1:31012");
    EXPECT_FALSE(fs::exists(path));

    IniFile ini(path, '.');
    ASSERT_EQ(saveSettings(s, ini), "");
    EXPECT_EQ(get(), "[sdr]\ngain=24\ntuneragc=1\nrtlagc=1\nmodes=1\nmodeac=0\nlist=1\nsamplerate=2000000\n"
                     "[form]\nleft=10\ntop=10\n"
                     "[form2]\nleft=10\ntop=10\n"
                     "[udp]\nip=127.0.0.1\nport=31012\nout=0\n"
                     "[home]\nnorth=0\neast=0\nsnorth=\nseast=\nuse=0\n"
                     "[id]\nid=\n"
                     "[tables]\ntable1=A100000\ntable2=B999998\ntable3=C112345\ntable4=D100005\n"
                     "[sisex]\nleft=100\ntop=100\ncontrast=4\nthreshold=12\ncontrastz=4\nthresholdz=12\nlastdir=" +
                         folder + "\nytspan=8\n");
}

TEST_F(SettingsTest, SavedValuesComeBackAndTableNamesBecomePermanent)
{
    Settings s = load();
    s.gain = 49.6;
    s.tunerAgc = false;
    s.modeS = false;
    s.modeAc = true;
    s.sampleRate = 2068965; // the rate MODE-AC leaves
    s.list = false;
    s.formLeft = -5;
    s.table2 = "mytable";
    s.udpIp = "192.168.1.9";
    s.udpPort = "31022";
    s.udpOut = true;
    s.id = "Station 7";
    s.homeNorth = 51.4778;
    s.homeEast = -0.0015;
    s.homeSNorth = "51.4778";
    s.homeSEast = "-0.0015";
    s.homeUse = true;
    s.sisexTop = 3;
    s.thresholdZ = 40;
    s.lastDir = "/data/captures/";
    s.ytSpan = 6;
    IniFile ini(path, '.');
    ASSERT_EQ(saveSettings(s, ini), "");

    Settings again;
    IniFile reread(path, '.');
    loadSettingsAtStartup(again, reread, sequence({77}), "/elsewhere/");
    EXPECT_EQ(again, s);
}

TEST_F(SettingsTest, UnreadableValuesFallBackAndHexIsRead)
{
    put("[sdr]\ngain=abc\nsamplerate=0x1E8480\ntuneragc=maybe\nrtlagc=0\nmodes=0\nmodeac=0\n"
        "[form]\nleft=12px\ntop=0x20\n[home]\nnorth=1.5.5\nuse=7\n");
    Settings s = load();
    EXPECT_EQ(s.gain, 24.0);
    EXPECT_EQ(s.sampleRate, 2000000);
    EXPECT_TRUE(s.tunerAgc);
    EXPECT_FALSE(s.rtlAgc);
    EXPECT_FALSE(s.modeS); // both mode buttons up is a valid state
    EXPECT_FALSE(s.modeAc);
    EXPECT_EQ(s.formLeft, 10);
    EXPECT_EQ(s.formTop, 32);
    EXPECT_EQ(s.homeNorth, 0.0);
    EXPECT_TRUE(s.homeUse);

    // Saving writes the defaults whole, never the readable part of a broken value.
    IniFile ini(path, '.');
    ASSERT_EQ(saveSettings(s, ini), "");
    EXPECT_EQ(ini.readValue("sdr", "gain"), "24");
    EXPECT_EQ(ini.readValue("form", "left"), "10");
    EXPECT_EQ(ini.readValue("sdr", "samplerate"), "2000000");
}

TEST_F(SettingsTest, ModeButtonsFormOneGroup)
{
    put("[sdr]\nmodes=1\nmodeac=1\n");
    Settings s = load();
    EXPECT_TRUE(s.modeAc);
    EXPECT_FALSE(s.modeS);
}

TEST_F(SettingsTest, CommaWrittenGainIsUnreadableUnderADot)
{
    Settings s = load(',');
    s.gain = 49.6;
    s.homeNorth = 48.5;
    IniFile comma(path, ',');
    ASSERT_EQ(saveSettings(s, comma), "");
    EXPECT_EQ(comma.readValue("sdr", "gain"), "49,6");
    EXPECT_EQ(load(',').gain, 49.6);
    Settings dot = load('.');
    EXPECT_EQ(dot.gain, 24.0);
    EXPECT_EQ(dot.homeNorth, 0.0);
}

TEST_F(SettingsTest, FailedSaveNamesTheFile)
{
    put("a file where a folder should be");
    IniFile ini(path + "/varnock.ini");
    EXPECT_EQ(saveSettings(load(), ini), "Unable to write to " + path + "/varnock.ini");

    if (::geteuid() == 0) return; // a privileged user writes into read-only folders
    fs::path ro = dir / "ro";
    fs::create_directory(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    IniFile roIni((ro / "varnock.ini").string());
    EXPECT_EQ(saveSettings(load(), roIni), "Unable to write to " + (ro / "varnock.ini").string());
    fs::permissions(ro, fs::perms::owner_all, fs::perm_options::add);
}

TEST_F(SettingsTest, ASaveReplacesTheFileOnceOrLeavesItAsItWas)
{
    const std::string before = "; my receiver\n[sdr]\ngain=49.6\n[home]\nnorth=52.5\n";
    put(before);
    Settings s = load();
    s.gain = 12.5;
    IniFile ini(path, '.');
    FileOps full = FileOps::system();
    full.write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    ini.setFileOps(full);
    EXPECT_EQ(saveSettings(s, ini), "Unable to write to " + path);
    EXPECT_EQ(get(), before);

    int replacements = 0;
    FileOps counted = FileOps::system();
    counted.rename = [&](const char* from, const char* to) {
        ++replacements;
        return std::rename(from, to);
    };
    ini.setFileOps(counted);
    ASSERT_EQ(saveSettings(s, ini), "");
    EXPECT_EQ(replacements, 1);
    EXPECT_EQ(get().substr(0, 41), "; my receiver\n[sdr]\ngain=12.5\ntuneragc=1\n");
}

TEST_F(SettingsTest, ValuesOutOfRangeFallBackWithOneLineEach)
{
    put("[sdr]\ngain=1e9\nsamplerate=2068965\n[form]\nleft=-40000\ntop=-200\n[udp]\nport=70000\n"
        "[home]\nnorth=95\neast=-180\n[sisex]\ncontrast=0\nthreshold=255\nthresholdz=-1\nytspan=9\n");
    std::vector<std::string> lines;
    Settings s;
    IniFile ini(path, '.');
    loadSettingsAtStartup(s, ini, sequence({0}), folder, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Setting out of range: [sdr] gain=1e9, default 24 used",
                         "Setting out of range: [sdr] samplerate=2068965, default 2000000 used",
                         "Setting out of range: [form] left=-40000, default 10 used",
                         "Setting out of range: [udp] port=70000, default 31012 used",
                         "Setting out of range: [home] north=95, default 0 used",
                         "Setting out of range: [sisex] contrast=0, default 4 used",
                         "Setting out of range: [sisex] thresholdz=-1, default 12 used",
                         "Setting out of range: [sisex] ytspan=9, default 8 used",
                     }));
    Settings want;
    want.currentFrequency = 1090000000;
    want.table1 = "A100000";
    want.table2 = "B100000";
    want.table3 = "C100000";
    want.table4 = "D100000";
    want.lastDir = folder;
    want.formTop = -200;
    want.homeEast = -180;
    want.threshold = 255;
    EXPECT_EQ(s, want);

    // Any rate but 2 Msps stops reception, a port must be one, and long values are cut on the list.
    put("[sdr]\nsamplerate=-2000000\ngain=-10\n[udp]\nport=0\n[home]\nnorth=" + std::string(40, '9') + "\n");
    lines.clear();
    Settings t;
    loadSettingsAtStartup(t, ini, sequence({0}), folder, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Setting out of range: [sdr] samplerate=-2000000, default 2000000 used",
                         "Setting out of range: [udp] port=0, default 31012 used",
                         "Setting out of range: [home] north=" + std::string(24, '9') + "..., default 0 used",
                     }));
    EXPECT_EQ(t.gain, -10.0);
    EXPECT_EQ(t.sampleRate, 2000000);

    // Text that is no number is the dialog's as typed; START reports it.
    put("[udp]\nport=abc\n");
    lines.clear();
    loadSettingsAtStartup(t, ini, sequence({0}), folder, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(t.udpPort, "abc");

    // With MODE-AC down the rate is Mode A/C's, as that button left it.
    put("[sdr]\nmodes=0\nmodeac=1\nsamplerate=2068965\n");
    loadSettingsAtStartup(t, ini, sequence({0}), folder, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(t.sampleRate, 2068965);
    put("[sdr]\nmodes=0\nmodeac=1\nsamplerate=fast\n");
    loadSettingsAtStartup(t, ini, sequence({0}), folder, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(t.sampleRate, 2068965);
    put("[sdr]\nmodeac=1\nsamplerate=2000000\n");
    loadSettingsAtStartup(t, ini, sequence({0}), folder, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(lines, std::vector<std::string>{"Setting out of range: [sdr] samplerate=2000000, default 2068965 used"});
    EXPECT_EQ(t.sampleRate, 2068965);
}

TEST(SettingsFolder, OverrideThenXdgThenHome)
{
    const struct {
        FolderEnvironment env;
        const char* want;
    } cases[] = {
        {{"/srv/varnock", "/cfg", "/home/u", "/opt/bin/"}, "/srv/varnock/"},
        {{"", "/cfg", "/home/u", "/opt/bin/"}, "/cfg/varnock/"},
        {{"", "/cfg/", "/home/u", "/opt/bin/"}, "/cfg/varnock/"},
        {{"", "", "/home/u", "/opt/bin/"}, "/home/u/.config/varnock/"},
        {{"", "relative", "/home/u", "/opt/bin/"}, "/home/u/.config/varnock/"},
    };
    for (const auto& c : cases) EXPECT_EQ(programFolder(c.env), c.want) << c.env.xdgConfigHome;

    const char* old = std::getenv("VARNOCK_HOME");
    std::string saved = old ? old : "";
    ::setenv("VARNOCK_HOME", "/srv/varnock", 1);
    EXPECT_EQ(programFolder(), "/srv/varnock/");
    ::unsetenv("VARNOCK_HOME");
    // Never beside the executable, which lives in the build folder.
    EXPECT_NE(programFolder(), fs::read_symlink("/proc/self/exe").parent_path().string() + "/");
    if (old) ::setenv("VARNOCK_HOME", saved.c_str(), 1);
}

TEST_F(SettingsTest, AFileBesideTheProgramIsMovedOnceIntoANewFolder)
{
    fs::create_directories(dir / "bin");
    const std::string beside = (dir / "bin" / "varnock.ini").string();
    std::ofstream(beside) << "[sdr]\ngain=49.6\n";
    FolderEnvironment env{"", (dir / "cfg").string(), "/nonexistent", (dir / "bin").string() + "/"};
    const std::string moved = (dir / "cfg" / "varnock" / "varnock.ini").string();

    EXPECT_EQ(prepareProgramFolder(env),
              std::vector<std::string>{"Settings file moved from " + beside + " to " + moved});
    EXPECT_FALSE(fs::exists(beside));
    IniFile ini(moved, '.');
    EXPECT_EQ(ini.readValue("sdr", "gain"), "49.6");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "cfg" / "varnock"), fs::directory_iterator()), 1);

    // A file already in the folder is the user's: the one beside the program stays where it is.
    std::ofstream(beside) << "[sdr]\ngain=1\n";
    EXPECT_TRUE(prepareProgramFolder(env).empty());
    EXPECT_TRUE(fs::exists(beside));
    EXPECT_EQ(ini.readValue("sdr", "gain"), "49.6");

    // An override folder is created but takes nothing.
    env.varnockHome = (dir / "override" / "deep").string();
    EXPECT_TRUE(prepareProgramFolder(env).empty());
    EXPECT_TRUE(fs::is_directory(dir / "override" / "deep"));
    EXPECT_TRUE(fs::exists(beside));

    // A folder that cannot be made is said.
    env.varnockHome = beside + "/sub";
    EXPECT_EQ(prepareProgramFolder(env).size(), 1u);
}

TEST(SettingsTableNames, LetterAndSixDigits)
{
    TableNameRandom r = clockSeededTableNameRandom();
    for (int i = 0; i < 2000; ++i) {
        int n = 1 + i % 4;
        std::string name = defaultTableName(n, r);
        ASSERT_EQ(name.size(), 7u);
        EXPECT_EQ(name[0], 'A' + n - 1);
        EXPECT_GE(std::stoi(name.substr(1)), 100000);
        EXPECT_LE(std::stoi(name.substr(1)), 999998);
    }
}

} // namespace
} // namespace varnock
