// Tests of IniFile: value conversions, in-place rewriting, robustness against odd files and write failures.
#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace varnock {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "varnock-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        path = (dir / "varnock.ini").string();
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void put(const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string get() const
    {
        std::ifstream f(path, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }

    fs::path dir;
    std::string path;
};

TEST(IniValueText, IntegersAcceptDecimalAndHexOnlyWhole)
{
    struct Case {
        const char* text;
        std::optional<int> want;
    } cases[] = {
        {"2000000", 2000000}, {"0x1E8480", 2000000}, {"0X1e8480", 2000000}, {" 42 ", 42}, {"\t\v\f42\r", 42},
        {"-5", -5}, {"+7", 7}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"0x7FFFFFFF", INT_MAX},
        {"", std::nullopt}, {"abc", std::nullopt}, {"12abc", std::nullopt}, {"0x", std::nullopt},
        {"0xG1", std::nullopt}, {"2147483648", std::nullopt}, {"0x80000000", std::nullopt},
        {"-", std::nullopt}, {"+-5", std::nullopt}, {"1 2", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(IniFile::parseInt(c.text), c.want) << '"' << c.text << '"';
}

TEST(IniValueText, FloatsNeedTheGivenSeparator)
{
    struct Case {
        const char* text;
        char sep;
        std::optional<double> want;
    } cases[] = {
        {"24", '.', 24.0}, {"49.6", '.', 49.6}, {"49,6", ',', 49.6}, {"-0.5", '.', -0.5}, {"+3", '.', 3.0},
        {".5", '.', 0.5}, {"5.", '.', 5.0}, {"1e+20", '.', 1e20}, {"2,5E-3", ',', 2.5e-3},
        {"49,6", '.', std::nullopt}, {"49.6", ',', std::nullopt}, {"abc", '.', std::nullopt},
        {"", '.', std::nullopt}, {".", '.', std::nullopt}, {"1e", '.', std::nullopt}, {"inf", '.', std::nullopt},
        {"nan", '.', std::nullopt}, {"1e999", '.', std::nullopt}, {"1.2.3", '.', std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(IniFile::parseFloat(c.text, c.sep), c.want) << '"' << c.text << '"';
}

TEST(IniValueText, FloatsAreWrittenShortestAndReadBackExactly)
{
    EXPECT_EQ(IniFile::formatFloat(24.0, '.'), "24");
    EXPECT_EQ(IniFile::formatFloat(49.6, ','), "49,6");
    EXPECT_EQ(IniFile::formatFloat(-0.1, '.'), "-0.1");
    for (double v : {0.0, 49.6, -33.123456789012345, 1e20, 5e-7, 51.4778})
        for (char sep : {'.', ','})
            EXPECT_EQ(IniFile::parseFloat(IniFile::formatFloat(v, sep), sep), v) << v << sep;
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt)
{
    IniFile ini(path);
    EXPECT_FALSE(ini.readValue("sdr", "gain"));
    EXPECT_EQ(ini.readInt("sdr", "samplerate", 7), 7);
    EXPECT_EQ(ini.readString("udp", "ip", "x"), "x");
    EXPECT_TRUE(ini.readBool("sdr", "tuneragc", true));
    EXPECT_FALSE(fs::exists(path)); // reading never creates it
    ASSERT_TRUE(ini.writeInt("sdr", "samplerate", 2000000));
    EXPECT_EQ(get(), "[sdr]\nsamplerate=2000000\n");
}

TEST_F(IniFileTest, TypesRoundTripAndBooleansAreAnyNonZeroInteger)
{
    IniFile ini(path, '.');
    ASSERT_TRUE(ini.writeFloat("sdr", "gain", 49.6));
    ASSERT_TRUE(ini.writeBool("sdr", "on", true));
    ASSERT_TRUE(ini.writeBool("sdr", "off", false));
    ASSERT_TRUE(ini.writeString("udp", "ip", "10.0.0.1"));
    ASSERT_TRUE(ini.writeInt("form", "left", -20));
    EXPECT_EQ(get(), "[sdr]\ngain=49.6\non=1\noff=0\n[udp]\nip=10.0.0.1\n[form]\nleft=-20\n");
    EXPECT_EQ(ini.readFloat("SDR", "GAIN", 0), 49.6);
    EXPECT_TRUE(ini.readBool("sdr", "on", false));
    EXPECT_FALSE(ini.readBool("sdr", "off", true));
    EXPECT_EQ(ini.readInt("Form", "Left", 0), -20);

    put("[b]\nfive=5\nhex=0x10\nneg=-1\nword=yes\nzero=0x0\n");
    EXPECT_TRUE(ini.readBool("b", "five", false));
    EXPECT_TRUE(ini.readBool("b", "hex", false));
    EXPECT_TRUE(ini.readBool("b", "neg", false));
    EXPECT_FALSE(ini.readBool("b", "word", false));
    EXPECT_TRUE(ini.readBool("b", "word", true));
    EXPECT_FALSE(ini.readBool("b", "zero", true));
}

TEST_F(IniFileTest, ReplacementKeepsEveryOtherByte)
{
    const std::string before = "; settings\r\n"
                               "[SDR]\r\n"
                               "  Gain = 12.5  \r\n"
                               "# not a key=1\r\n"
                               "modes=1\r\n"
                               "\r\n"
                               "[udp]\r\n"
                               "ip=1.2.3.4\r\n"
                               "[sdr]\r\n"
                               "gain=99\r\n";
    put(before);
    IniFile ini(path, '.');
    EXPECT_EQ(ini.readFloat("sdr", "gain", 0), 12.5); // first section of a name wins
    ASSERT_TRUE(ini.writeFloat("sdr", "GAIN", 30.1));
    std::string want = before;
    want.replace(want.find("  Gain = 12.5  "), 15, "Gain=30.1");
    EXPECT_EQ(get(), want);

    // New key: after the section's last non-blank line, with the file's own line breaks.
    ASSERT_TRUE(ini.writeBool("sdr", "modeac", false));
    want.insert(want.find("modes=1\r\n") + 9, "modeac=0\r\n");
    EXPECT_EQ(get(), want);

    // New section at the end.
    ASSERT_TRUE(ini.writeString("home", "seast", "8,5"));
    want += "[home]\r\nseast=8,5\r\n";
    EXPECT_EQ(get(), want);

    // A comment line that looks like a key is never taken for one.
    EXPECT_FALSE(ini.readValue("sdr", "# not a key"));
}

TEST_F(IniFileTest, LastLineWithoutBreakAndValuesWithBreaks)
{
    put("[a]\nx=1");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeInt("a", "y", 2));
    EXPECT_EQ(get(), "[a]\nx=1\ny=2");
    ASSERT_TRUE(ini.writeInt("b", "z", 3));
    EXPECT_EQ(get(), "[a]\nx=1\ny=2\n[b]\nz=3\n");

    // A typed line break must not start a line of its own (it could forge another key).
    ASSERT_TRUE(ini.writeString("id", "id", "evil\n[sdr]\r\ngain=1"));
    EXPECT_FALSE(ini.readValue("sdr", "gain"));
    EXPECT_EQ(ini.readString("id", "id", ""), "evil [sdr]  gain=1");
}

TEST_F(IniFileTest, ALoneCarriageReturnInAValueReadsAsTheBlankItIsWrittenAs)
{
    // Found by fuzzing: such a value was read with its CR and saved with a blank, so a save and a
    // load no longer gave the same settings.
    put("[udp]\r\nport=31012\r[id]x\r\n");
    IniFile ini(path);
    const std::string read = ini.readString("udp", "port", "");
    EXPECT_EQ(read, "31012 [id]x");
    ASSERT_TRUE(ini.writeString("udp", "port", read));
    EXPECT_EQ(ini.readString("udp", "port", ""), read);
    EXPECT_EQ(get(), "[udp]\r\nport=31012 [id]x\r\n");
}

TEST_F(IniFileTest, LongLinesAndBinaryJunkAreHarmless)
{
    std::string junk(1 << 20, 'x'); // one line of 1 MB
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 37);
    put(binary + "\n[sdr]\n" + junk + "\ngain=7\nsamplerate=" + std::string(1 << 20, '9') + "\n");
    IniFile ini(path, '.');
    EXPECT_EQ(ini.readFloat("sdr", "gain", 24.0), 7.0);
    EXPECT_EQ(ini.readInt("sdr", "samplerate", 2000000), 2000000);
    ASSERT_TRUE(ini.writeInt("sdr", "samplerate", 5));
    std::string after = get();
    EXPECT_NE(after.find(junk), std::string::npos);
    EXPECT_NE(after.find(binary), std::string::npos);
    EXPECT_EQ(ini.readInt("sdr", "samplerate", 0), 5);
}

TEST_F(IniFileTest, WriteFailuresAreReportedAndLeaveNothingBehind)
{
    // A folder that is a file: fails even for a privileged user.
    put("not a folder");
    IniFile inFile((dir / "varnock.ini" / "varnock.ini").string());
    EXPECT_FALSE(inFile.writeInt("a", "b", 1));

    fs::path ro = dir / "ro";
    fs::create_directory(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    IniFile inRo((ro / "varnock.ini").string());
    if (::geteuid() != 0) {
        EXPECT_FALSE(inRo.writeInt("a", "b", 1));
        // A writable file in a locked folder is left alone: it could only be rewritten in place.
        fs::permissions(ro, fs::perms::owner_all, fs::perm_options::add);
        std::ofstream((ro / "varnock.ini").string()) << "[a]\nb=0\n";
        fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(inRo.writeInt("a", "b", 2));
        EXPECT_EQ(inRo.readInt("a", "b", 0), 0);
    }
    fs::permissions(ro, fs::perms::owner_all, fs::perm_options::add);
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".ini."), std::string::npos) << "stray temp file";
}

// Each step of the replacement failing in turn, as on a full disk or a folder that refuses new files:
// the write reports it and the old file stays whole, with no temporary file left behind.
TEST_F(IniFileTest, AFailedReplacementLeavesTheOldFileWhole)
{
    const std::string before = "[sdr]\ngain=49.6\n; the user's notes\n[home]\nnorth=52.5\neast=13.25\nuse=1\n";
    struct Case {
        const char* name;
        std::function<void(FileOps&)> breakIt;
    } cases[] = {
        {"no temporary file", [](FileOps& o) { o.makeTemp = [](char*) { errno = ENOSPC; return -1; }; }},
        {"write cut short",
         [](FileOps& o) {
             o.write = [](int fd, const void* data, size_t size) -> ssize_t {
                 if (size > 8) return ::write(fd, data, 8);
                 errno = ENOSPC;
                 return -1;
             };
         }},
        {"sync fails", [](FileOps& o) { o.sync = [](int) { errno = EIO; return -1; }; }},
        {"rename fails", [](FileOps& o) { o.rename = [](const char*, const char*) { errno = EXDEV; return -1; }; }},
    };
    for (const Case& c : cases) {
        put(before);
        IniFile ini(path, '.');
        FileOps ops = FileOps::system();
        c.breakIt(ops);
        ini.setFileOps(ops);
        EXPECT_FALSE(ini.writeFloat("sdr", "gain", 12.5)) << c.name;
        EXPECT_FALSE(ini.writeString("new", "key", "value")) << c.name;
        EXPECT_EQ(get(), before) << c.name;
        for (const auto& e : fs::directory_iterator(dir))
            EXPECT_EQ(e.path().filename(), "varnock.ini") << c.name << ": stray file";
    }

    // Every step is taken, the sync before the rename.
    std::string steps;
    FileOps traced = FileOps::system();
    traced.makeTemp = [&](char* t) { steps += "temp "; return ::mkstemp(t); };
    traced.sync = [&](int fd) { steps += "sync "; return ::fsync(fd); };
    traced.rename = [&](const char* from, const char* to) { steps += "rename"; return std::rename(from, to); };
    IniFile ini(path, '.');
    ini.setFileOps(traced);
    ASSERT_TRUE(ini.writeFloat("sdr", "gain", 12.5));
    EXPECT_EQ(steps, "temp sync rename");
    EXPECT_EQ(get(), "[sdr]\ngain=12.5\n; the user's notes\n[home]\nnorth=52.5\neast=13.25\nuse=1\n");
}

TEST_F(IniFileTest, ALinkedFileStaysALink)
{
    fs::create_directory(dir / "dotfiles");
    const fs::path target = dir / "dotfiles" / "varnock.ini";
    std::ofstream(target) << "[a]\nb=0\n";
    fs::create_symlink(target, path);
    IniFile ini(path);
    ASSERT_TRUE(ini.writeInt("a", "b", 2));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(get(), "[a]\nb=2\n");
}

TEST_F(IniFileTest, SeparatorFollowsTheCLocale)
{
    IniFile ini(path); // no override: localeconv() at each use
    ASSERT_TRUE(ini.writeFloat("sdr", "gain", 49.6));
    EXPECT_EQ(ini.readValue("sdr", "gain"), "49.6");

    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"};
    const char* found = nullptr;
    for (const char* n : names)
        if (std::setlocale(LC_NUMERIC, n) != nullptr) {
            found = n;
            break;
        }
    if (found == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
    ASSERT_TRUE(ini.writeFloat("sdr", "gain", 49.6));
    std::string stored = *ini.readValue("sdr", "gain");
    double underComma = ini.readFloat("sdr", "gain", 24.0);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(stored, "49,6");
    EXPECT_EQ(underComma, 49.6);
    EXPECT_EQ(ini.readFloat("sdr", "gain", 24.0), 24.0);
}

} // namespace
} // namespace varnock
