// Tests of the start-up pieces: cleaned command line, banner, list log creation and the start-up timer.
#include "app/startup.h"
#include "app/device_control.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "net/qt_test_support.h"

namespace varnock {
namespace {

namespace fs = std::filesystem;

TEST(Startup, CleanedCommandLine)
{
    struct Case {
        const char* raw;
        const char* want;
    } cases[] = {
        {"\"/opt/varnock/varnock\" -run -log", "-run -log"},
        {"varnock -run -log", "varnock -run -log"},
        {"\"/path with blanks/varnock\"", ""},
        {"  \"/opt/varnock\"   -min  ", "-min"},
        {"\"/opt/varnock -run", ""},                         // no closing quote: the rest goes
        {"\"/opt/varnock\" -id=\"a b\"", "-id=a b"},         // later quotes are only dropped
        {"varnock \"x\" -run", "varnock  -run"},             // a quoted word inside goes, blanks stay
        {"", ""},
        {"\t-run\r", "-run"},
    };
    for (const Case& c : cases) EXPECT_EQ(cleanCommandLine(c.raw), c.want) << c.raw;

    EXPECT_EQ(rawCommandLine({"/opt/varnock/varnock", "-run", "-log"}), "\"/opt/varnock/varnock\" -run -log");
    EXPECT_EQ(cleanCommandLine(rawCommandLine({"/opt/my varnock/varnock", "-ser=7"})), "-ser=7");
    EXPECT_EQ(cleanCommandLine(rawCommandLine({"/opt/varnock/varnock"})), "");
}

TEST(Startup, Banner)
{
    std::vector<std::string> lines;
    writeBanner([&](const std::string& l) { lines.push_back(l); }, "-run -log");
    ASSERT_EQ(lines.size(), 5u);
    const std::string rule(40, '=');
    EXPECT_EQ(lines[0], rule);
    // "varnock V " and four numbers joined by dots.
    ASSERT_EQ(lines[1].rfind("varnock V ", 0), 0u) << lines[1];
    std::string numbers = lines[1].substr(10);
    int dots = 0;
    bool digitBefore = false;
    for (char c : numbers) {
        if (c == '.') {
            EXPECT_TRUE(digitBefore) << lines[1];
            ++dots;
            digitBefore = false;
        } else {
            EXPECT_TRUE(c >= '0' && c <= '9') << lines[1];
            digitBefore = true;
        }
    }
    EXPECT_EQ(dots, 3) << lines[1];
    EXPECT_TRUE(digitBefore) << lines[1];
    EXPECT_EQ(lines[2], rule);
    EXPECT_EQ(lines[3], "Command line: -run -log");
    EXPECT_EQ(lines[4], "");
}

TEST(Startup, ListLogFileIsCreatedEmpty)
{
    std::string tmpl = (fs::temp_directory_path() / "varnock-log-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    const std::string folder = tmpl + "/";
    LocalDateTime t{2026, 3, 4, 17, 5, 9};
    const std::string want = folder + "varnock-260304-170509.log";
    std::ofstream(want) << "old contents";

    ListLogFile log = createListLogFile(t, folder);
    EXPECT_EQ(log.path(), want);
    EXPECT_EQ(fs::file_size(want), 0u);
    std::string line = "a line";
    log.appendLines(&line, 1);
    EXPECT_GT(fs::file_size(want), 0u);

    // An unwritable folder loses the lines silently.
    ListLogFile lost = createListLogFile(t, folder + "missing/");
    lost.appendLines(&line, 1);
    EXPECT_FALSE(fs::exists(lost.path()));
    fs::remove_all(tmpl);
}

TEST(StartupTimer, RunPressesStartAndMinHides)
{
    struct Case {
        std::vector<std::string> args;
        const char* want;
    } cases[] = {
        {{}, "refresh wait100 wait333"},
        {{"-run"}, "refresh wait100 start wait333"},
        {{"-min"}, "refresh wait100 wait333 hide"},
        {{"/RUN", "-Min", "-log"}, "refresh wait100 start wait333 hide"},
        {{"--run", "-minimize"}, "refresh wait100 wait333"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "varnock");
        Switches sw(args);
        std::string got;
        auto note = [&got](const std::string& s) { got += (got.empty() ? "" : " ") + s; };
        StartupTimer timer(sw, {[&] { note("refresh"); }, [&](int ms) { note("wait" + std::to_string(ms)); },
                                [&] { note("start"); }, [&] { note("hide"); }});
        timer.fire();
        timer.fire(); // the one-shot never acts twice
        EXPECT_EQ(got, c.want);
        EXPECT_TRUE(timer.fired());
    }
}

TEST(StartupTimer, QtDriverFiresOnceAfterItsDelay)
{
    test::qtApp();
    Switches sw({"varnock", "-run"});
    int starts = 0;
    StartupTimer timer(sw, {{}, serviceWait, [&] { ++starts; }, {}});
    QElapsedTimer clock;
    clock.start();
    StartupTimerDriver driver(timer, 50);
    EXPECT_TRUE(driver.timer1.isSingleShot());
    ASSERT_TRUE(test::waitUntil([&] { return timer.fired(); }));
    EXPECT_GE(clock.elapsed(), 50 + StartupTimer::kBeforeStartMs);
    EXPECT_EQ(starts, 1);
    test::drainPostedEvents();
    EXPECT_EQ(starts, 1);
}

TEST(StartupTimer, WaitKeepsTheEventLoopServiced)
{
    test::qtApp();
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    serviceWait(30);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock.elapsed(), 30);
}

} // namespace
} // namespace varnock
