// Raw log files: saving and loading the ring, 8-bit conversion, missing and faulty files, the data folder.
#include "sisex_test_support.h"

#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace varnock::sisex::test {
namespace {

void writeFile(const std::string& path, const void* data, size_t size)
{
    std::ofstream f(path, std::ios::binary);
    f.write(static_cast<const char*>(data), std::streamsize(size));
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

std::vector<uint8_t> littleEndian(const std::vector<uint16_t>& v)
{
    std::vector<uint8_t> b(v.size() * 2);
    for (size_t i = 0; i < v.size(); ++i) {
        b[2 * i] = uint8_t(v[i]);
        b[2 * i + 1] = uint8_t(v[i] >> 8);
    }
    return b;
}

void writeBiw(const std::string& dir, int n, int tag)
{
    const auto b = littleEndian(taggedBuffer(tag));
    writeFile(dir + std::to_string(n) + ".biw", b.data(), b.size());
}

void writeBin(const std::string& dir, int n, int tag)
{
    const auto v = taggedBuffer(tag, true);
    std::vector<uint8_t> b(v.begin(), v.end());
    writeFile(dir + std::to_string(n) + ".bin", b.data(), b.size());
}

// Fills the ring with recognisable pages 0..19 (tags 100..119), offline.
void fillRing(ExplorerRig& rig)
{
    for (int t = 100; t < 120; ++t) {
        const auto v = taggedBuffer(t);
        rig.explorer.liveFeed(v.data(), int(v.size()));
    }
    rig.explorer.sbliveClick(false);
}

TEST(RawLog, SaveWithoutDataOnlySaysSo)
{
    TempDir tmp;
    ExplorerRig rig;
    rig.explorer.setDataDir(tmp.dir());
    rig.explorer.sbdiskClick();
    EXPECT_EQ(rig.explorer.status(kStatePanel), "No DATA to SAVE.");
    EXPECT_TRUE(tmp.names().empty());
    EXPECT_TRUE(rig.ui.questions.empty());
}

TEST(RawLog, SaveThenLoadGivesTheSameRingByteForByte)
{
    TempDir tmp;
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    e.setDataDir(tmp.dir());
    for (int t = 1; t <= 23; ++t) {
        const auto v = taggedBuffer(t);
        e.liveFeed(v.data(), int(v.size()));
    }
    e.sbdiskClick(); // still live: stops with re-ordering first
    EXPECT_FALSE(e.live());
    EXPECT_EQ(e.status(kStatePanel), "RAW DATA FILE SAVED");
    EXPECT_TRUE(rig.ui.questions.empty());
    std::vector<std::string> expectedNames;
    for (int n = 0; n < 20; ++n) expectedNames.push_back(std::to_string(n) + ".biw");
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(tmp.names(), expectedNames);
    for (int n = 0; n < 20; ++n)
        EXPECT_EQ(readFile(tmp.dir() + std::to_string(n) + ".biw"), littleEndian(taggedBuffer(4 + n))) << n;

    // Other data in the ring, markers and readouts set; the load replaces all of it.
    ExplorerRig other;
    fillRing(other);
    other.explorer.setDataDir(tmp.dir());
    other.explorer.sbslow1Click(true);
    other.explorer.mouseDown(MouseButton::Left, 100, 100);
    other.explorer.sbslow1Click(false);
    other.explorer.sbopenClick();
    ASSERT_EQ(other.ui.questions,
              std::vector<std::string>{"SISEX: Attention! You will be overwriting the current ringbuffer. OK?"});
    for (int n = 0; n < 20; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(4 + n))) << n;
    const std::vector<std::string> status(
        {"", "WHT: ", "RED: ", "RED-WHT: ", "WHT-CUR: ", "RED-CUR: ", "X:  Y: ", "RAW FILES LOADED"});
    for (int i = 1; i < kStatusPanels; ++i) EXPECT_EQ(other.explorer.status(i), status[size_t(i)]) << i;
    EXPECT_FALSE(other.explorer.whiteMarker().isSet());
    EXPECT_EQ(sharedRing().currentPage(), 0);
    EXPECT_EQ(sharedRing().pageOffsetMs(), 0);
    EXPECT_TRUE(sharedRing().button(0).bold);
    for (int n = 0; n < 20; ++n) EXPECT_TRUE(sharedRing().button(n).enabled);

    // Saving over the set asks first; No writes nothing.
    other.ui.answer = false;
    const auto before = readFile(tmp.dir() + "0.biw");
    other.explorer.sbdiskClick();
    EXPECT_EQ(other.ui.questions.back(), "SISEX: Attention! You will be overwriting the current file set. OK?");
    EXPECT_EQ(other.explorer.status(kStatePanel), "RAW FILES LOADED");
    EXPECT_EQ(readFile(tmp.dir() + "0.biw"), before);
    EXPECT_EQ(tmp.names(), expectedNames);
}

TEST(RawLog, LoadConvertsEightBitFilesAndStopsAtAMissingPage)
{
    TempDir mixed;
    for (int n = 0; n < 10; ++n) writeBiw(mixed.dir(), n, 200 + n);
    for (int n = 10; n < 20; ++n) writeBin(mixed.dir(), n, 200 + n);
    writeBin(mixed.dir(), 3, 999); // a .biw file wins over a .bin file of the same page
    ExplorerRig rig;
    rig.explorer.setDataDir(mixed.dir());
    rig.explorer.sbopenClick();
    EXPECT_TRUE(rig.ui.questions.empty()); // nothing to overwrite
    for (int n = 0; n < 20; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(200 + n, n >= 10))) << n;
    std::vector<std::string> converting;
    for (int n = 10; n < 20; ++n) converting.push_back("Converting: " + std::to_string(n) + ".bin");
    EXPECT_EQ(rig.ui.repaints, converting);
    EXPECT_EQ(rig.explorer.status(kStatePanel), "RAW FILES LOADED");

    TempDir gap;
    for (int n = 0; n < 20; ++n)
        if (n != 5) writeBiw(gap.dir(), n, 300 + n);
    ExplorerRig again;
    fillRing(again);
    again.explorer.setDataDir(gap.dir());
    const int redraws = again.ui.redraws;
    again.explorer.sbopenClick();
    for (int n = 0; n < 5; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(300 + n))) << n;
    for (int n = 5; n < 20; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(100 + n))) << n;
    EXPECT_EQ(again.explorer.status(kStatePanel), "BIN FILE NOT FOUND");
    EXPECT_EQ(again.ui.redraws, redraws);
    EXPECT_EQ(sharedRing().currentPage(), 19);
}

TEST(RawLog, AShortOrUnreadablePageFileEndsTheLoadAndKeepsTheRest)
{
    TempDir tmp;
    for (int n = 0; n < 20; ++n)
        if (n != 3 && n != 7) writeBiw(tmp.dir(), n, 400 + n);
    const auto full = littleEndian(taggedBuffer(403));
    writeFile(tmp.dir() + "3.biw", full.data(), full.size() - 1);
    std::filesystem::create_directory(tmp.dir() + "7.bin");

    ExplorerRig rig;
    fillRing(rig);
    rig.explorer.setDataDir(tmp.dir());
    rig.explorer.sbopenClick();
    EXPECT_EQ(rig.explorer.status(kStatePanel), "Cannot read 3.biw: shorter than 2048000 bytes");
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.errors[0], "Cannot read " + tmp.dir() + "3.biw: shorter than 2048000 bytes");
    for (int n = 0; n < 3; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(400 + n))) << n;
    for (int n = 3; n < 20; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(100 + n))) << n;
    EXPECT_EQ(sharedRing().currentPage(), 19);
    EXPECT_TRUE(sharedRing().hasData());

    writeBiw(tmp.dir(), 3, 403);
    rig.explorer.sbopenClick();
    EXPECT_EQ(rig.explorer.status(kStatePanel), "Cannot read 7.bin: Is a directory");
    EXPECT_EQ(rig.ui.repaints.back(), "Converting: 7.bin");
    for (int n = 0; n < 7; ++n) EXPECT_TRUE(pageEquals(n, taggedBuffer(400 + n))) << n;
    EXPECT_TRUE(pageEquals(7, taggedBuffer(107)));
}

// A file size limit makes every write fail part-way, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = saved_;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(RawLog, AFailedSaveSaysSoAndLeavesNoTruncatedFile)
{
    TempDir tmp;
    writeBiw(tmp.dir(), 0, 500);
    const auto before = readFile(tmp.dir() + "0.biw");
    ExplorerRig rig;
    fillRing(rig);
    rig.explorer.setDataDir(tmp.dir());
    {
        FileSizeLimit limit(100000);
        rig.explorer.sbdiskClick();
    }
    EXPECT_EQ(rig.explorer.status(kStatePanel), "SAVE FAILED: 20 of 20 files");
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.errors[0], "Cannot write " + tmp.dir() + "0.biw: File too large");
    EXPECT_EQ(tmp.names(), std::vector<std::string>{"0.biw"});
    EXPECT_EQ(readFile(tmp.dir() + "0.biw"), before);

    rig.explorer.setDataDir(tmp.dir() + "missing");
    rig.explorer.sbdiskClick();
    EXPECT_EQ(rig.explorer.status(kStatePanel), "SAVE FAILED: 20 of 20 files");
    EXPECT_EQ(rig.ui.errors.back(), "Cannot write " + tmp.dir() + "missing/0.biw: No such file or directory");
}

TEST(RawLog, DataFolderRules)
{
    TempDir tmp;
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    e.setDataDir(tmp.dir() + "a"); // settings value without the separator
    EXPECT_EQ(e.dataDir(), tmp.dir() + "a/");
    EXPECT_EQ(e.caption(), "varnock - Signals-in-space explorer - " + tmp.dir() + "a/");

    e.setDataDir(tmp.dir());
    e.openDirectoryPanel();
    EXPECT_TRUE(e.directoryPanelVisible());
    e.newFolderClick("");
    EXPECT_EQ(e.status(kStatePanel), "LIVE!");
    e.newFolderClick("runs");
    EXPECT_EQ(e.status(kStatePanel), "Folder created.");
    EXPECT_EQ(e.dataDir(), tmp.dir() + "runs/");
    EXPECT_TRUE(std::filesystem::is_directory(tmp.dir() + "runs"));
    e.setDataDir(tmp.dir());
    e.newFolderClick("runs");
    EXPECT_EQ(e.status(kStatePanel), "Folder existant.");
    EXPECT_EQ(e.dataDir(), tmp.dir() + "runs/");
    e.newFolderClick("x/y"); // the parent does not exist
    EXPECT_EQ(e.status(kStatePanel), "Creation failed.");
    EXPECT_EQ(e.dataDir(), tmp.dir() + "runs/");

    // A folder clicked in the list is taken at once; Cancel keeps it, OK takes the list's folder.
    e.directoryChosen(tmp.dir() + "runs/x");
    EXPECT_EQ(e.dataDir(), tmp.dir() + "runs/x/");
    e.directoryCancel();
    EXPECT_FALSE(e.directoryPanelVisible());
    EXPECT_EQ(e.dataDir(), tmp.dir() + "runs/x/");
    e.openDirectoryPanel();
    e.directoryChosen("/");
    e.directoryOk();
    EXPECT_EQ(e.dataDir(), "/");
    EXPECT_EQ(e.screenshotPath(".bmp"), "/varnock_2026-01-01-000000.bmp");
}

} // namespace
} // namespace varnock::sisex::test
