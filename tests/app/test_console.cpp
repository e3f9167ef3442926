// Console view: which list lines are new, terminal text, answers typed on the input, keys.
#include "app/console_view.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/quit_signals.h"
#include "test_device_support.h"

namespace varnock {
namespace {

std::vector<ListModel::Item> items(std::initializer_list<const char*> texts)
{
    std::vector<ListModel::Item> v;
    for (const char* t : texts) v.push_back({t, 0});
    return v;
}

TEST(ConsoleLines, FirstNewLine)
{
    struct Case {
        const char* name;
        std::vector<std::string> printed;
        std::vector<ListModel::Item> now;
        std::size_t first;
    };
    const std::vector<Case> cases = {
        {"nothing printed yet", {}, items({"a", "b"}), 0},
        {"appended", {"a", "b"}, items({"a", "b", "c"}), 2},
        {"unchanged", {"a", "b"}, items({"a", "b"}), 2},
        {"repeated text appended", {"a", "b", "b"}, items({"a", "b", "b", "b"}), 3},
        {"front shed, then appended", {"a", "b", "c", "d"}, items({"c", "d", "e"}), 2},
        {"last line rewritten", {"a", "b", "x (2)"}, items({"a", "b", "x (3)"}), 2},
        {"cleared and refilled", {"a", "b"}, items({"p", "q"}), 0},
        {"cleared", {"a", "b"}, items({}), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ConsoleView::firstNewLine(c.printed, c.now), c.first) << c.name;
}

TEST(ConsoleLines, TerminalText)
{
    EXPECT_EQ(ConsoleView::terminalText("Gain: 49.6 dB"), "Gain: 49.6 dB");
    EXPECT_EQ(ConsoleView::terminalText("\x02 \x08"), "^B ^H");
    EXPECT_EQ(ConsoleView::terminalText("\xB0"), "\xC2\xB0"); // Latin-1 degree sign
}

class ConsoleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        ASSERT_EQ(::pipe(in_), 0);
        out_ = std::tmpfile();
        ASSERT_NE(out_, nullptr);
        engine = std::make_unique<Engine>(&clock);
        engine->datacntr.stop();
        view = std::make_unique<ConsoleView>(*engine, out_, in_[0]);
    }
    void TearDown() override
    {
        view.reset();
        engine.reset();
        ::close(in_[0]);
        if (in_[1] >= 0) ::close(in_[1]);
        std::fclose(out_);
    }
    void type(const std::string& s) { ASSERT_EQ(::write(in_[1], s.data(), s.size()), ssize_t(s.size())); }
    void endInput()
    {
        ::close(in_[1]);
        in_[1] = -1;
    }
    std::string output()
    {
        std::fflush(out_);
        std::rewind(out_);
        std::string s;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, out_)) > 0) s.append(buf, n);
        return s;
    }

    int in_[2] = {-1, -1};
    std::FILE* out_ = nullptr;
    VirtualClock clock;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<ConsoleView> view;
};

TEST_F(ConsoleFixture, QuestionsAreAnsweredOnTheInputAndEndOfInputIsNo)
{
    type("maybe\ny\nn\n");
    EXPECT_TRUE(view->askYesNo("Are you sure to exit?", "varnock", true)); // "maybe" asks again
    EXPECT_FALSE(view->askYesNo("Again?", "varnock", false));
    endInput();
    EXPECT_FALSE(view->askYesNo("Still there?", "varnock", false));
    const std::string out = output();
    EXPECT_NE(out.find("varnock: Are you sure to exit? [y/n] "), std::string::npos);
    EXPECT_NE(out.find("Still there?"), std::string::npos);
}

TEST_F(ConsoleFixture, CtrlCWhileAQuestionWaitsIsNoAndStillEndsTheProgram)
{
    int quits = 0;
    QObject::connect(view.get(), &ConsoleView::quitRequested, [&] { ++quits; });
    view->installSignalHandlers();
    type("y\n");
    std::raise(SIGINT);
    EXPECT_FALSE(view->askYesNo("Are you sure to exit?", "varnock", true));
    EXPECT_TRUE(test::waitUntil([&] { return quits == 1; }));
}

// A stuck end cut short by a third signal still gives the terminal back as the user had it.
TEST_F(ConsoleFixture, TheThirdSignalEndsAtOnceWithTheTerminalGivenBack)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int tty = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(tty, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(tty, &before), 0);
    EXPECT_EXIT(
        {
            ConsoleView console(*engine, out_, tty);
            console.startInput();
            console.installSignalHandlers();
            termios raw{};
            if (::tcgetattr(tty, &raw) != 0 || (raw.c_lflag & ICANON) != 0) _exit(1); // never went raw
            for (int i = 0; i < 3; ++i) std::raise(SIGTERM);
        },
        ::testing::ExitedWithCode(130), "");
    // The child's first signals went into the pipe this process shares with it.
    pollfd pending{QuitSignals::pendingFd(), POLLIN, 0};
    char bytes[16];
    while (::poll(&pending, 1, 0) == 1 && ::read(pending.fd, bytes, sizeof bytes) > 0) {
    }
    termios after{};
    ASSERT_EQ(::tcgetattr(tty, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    ::close(tty);
    ::close(master);
}

TEST_F(ConsoleFixture, ReprogrammingDialogTakesEightDigitsKeepingTheFirst)
{
    struct Case {
        std::string typed;
        bool ok;
        std::vector<int> digits;
    };
    const std::vector<Case> cases = {
        {"00000002\n", true, {0, 0, 0, 0, 0, 0, 0, 2}},
        {"1234567\n", true, {0, 1, 2, 3, 4, 5, 6, 7}},        // the last seven
        {"90000002\n00000003\n", true, {0, 0, 0, 0, 0, 0, 0, 3}}, // first digit differs: asked again
        {"12ab\n\n", false, {0, 0, 0, 0, 0, 0, 0, 1}},         // empty line cancels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        type(c.typed);
        int d[8] = {0, 0, 0, 0, 0, 0, 0, 1};
        EXPECT_EQ(view->reprogrammingDialog(d), c.ok);
        EXPECT_EQ(std::vector<int>(d, d + 8), c.digits);
    }
    endInput();
    int d[8] = {};
    EXPECT_FALSE(view->reprogrammingDialog(d)); // end of input cancels
}

TEST_F(ConsoleFixture, PrintsEachListLineOnceAndTheTableEachRound)
{
    ListModel& list = engine->receiver().list;
    engine->writeLogLine("Started...");
    list.WriteLogLine("*8D4840D6202CC371C32CE0576098;");
    view->flush();
    view->flush();
    engine->writeLogLine("Gain: 0 dB");
    view->flush();
    EXPECT_EQ(output(), "Started...\n*8D4840D6202CC371C32CE0576098;\nGain: 0 dB\n");

    // With "List" up the round's rebuilt table is shown whole, once per change.
    engine->receiver().controls.sblist = false;
    list.beginUpdate();
    list.clear();
    list.add("ICAO   header");
    list.add("4840D6 KLM1023");
    list.endUpdate();
    view->afterRound();
    view->afterRound();
    EXPECT_EQ(output(), "Started...\n*8D4840D6202CC371C32CE0576098;\nGain: 0 dB\n\nICAO   header\n4840D6 KLM1023\n");
}

#ifdef VARNOCK_SIMDONGLE_LIB

class ConsoleKeys : public test::DeviceFixture {};

TEST_F(ConsoleKeys, KeysPressTheButtons)
{
    makeWithFreePorts();
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        ConsoleView console(*engine, out, -1);
        console.setDeviceControl(device.get());
        EXPECT_TRUE(console.handleKey('r')); // not running: only a note
        EXPECT_TRUE(lines().empty());

        EXPECT_TRUE(console.handleKey('s'));
        ASSERT_TRUE(st().started);
        clearList();
        EXPECT_TRUE(console.handleKey('r'));
        EXPECT_TRUE(console.handleKey('a'));
        EXPECT_TRUE(engine->receiver().controls.sbmodeac);
        EXPECT_TRUE(console.handleKey('u'));
        EXPECT_TRUE(engine->receiver().controls.sbudpout);
        EXPECT_FALSE(console.handleKey('z'));
        EXPECT_EQ(view.mirrored.back(), "Sample rate: 2068965 S/s");
        int quits = 0;
        QObject::connect(&console, &ConsoleView::quitRequested, [&] { ++quits; });
        EXPECT_TRUE(console.handleKey('q'));
        EXPECT_EQ(quits, 1);
        EXPECT_TRUE(console.handleKey('s')); // STOP
        EXPECT_EQ(ends, 1);
    }
    std::fclose(out);
}

#endif // VARNOCK_SIMDONGLE_LIB

} // namespace
} // namespace varnock
