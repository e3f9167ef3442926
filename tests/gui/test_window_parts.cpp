// The window's small parts on their own: frequency digits, the LED's pictures and blink, view choice, help page.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>

#include "app/quit_signals.h"
#include "app/view_choice.h"
#include "gui/colour.h"
#include "gui/frequency_digits.h"
#include "gui/help_page.h"
#include "gui/led_indicator.h"
#include "gui_test_support.h"

namespace varnock::test {
namespace {

std::string digits(uint32_t hz)
{
    const auto d = frequencyDigits(hz);
    return std::string(d.begin(), d.end());
}

TEST(FrequencyDigits, LeadingZerosTurnBlankAtMostTwice)
{
    EXPECT_EQ(digits(1090000000), "1090000");
    EXPECT_EQ(digits(978000000), " 978000");
    EXPECT_EQ(digits(59900000), "  59900");
    EXPECT_EQ(digits(5000000), "  05000"); // only two blanks, whatever follows
    EXPECT_EQ(digits(0), "  00000");
    EXPECT_EQ(digits(4294967295u), "4294967");
    EXPECT_EQ(digits(1000000000), "1000000"); // a zero after a non-zero first digit stays
}

TEST(Led, OnOffPicturesAndColourChanges)
{
    guiApp();
    TALed led;
    led.resize(22, 14);
    led.setBlink(false);
    EXPECT_EQ(led.shownColour(), colourOf(TALed::kDefaultOff));
    led.setOn(true);
    EXPECT_EQ(led.shownColour(), colourOf(TALed::kDefaultOn));
    led.setOnColour(16711808);
    EXPECT_EQ(led.shownColour(), colourOf(16711808));
    led.setOn(false);
    EXPECT_EQ(led.shownColour(), colourOf(TALed::kDefaultOff));
}

TEST(Led, BlinkSwapsPicturesWhileOnAndStopsWhenOff)
{
    guiApp();
    TALed led;
    led.setBlink(true, 20);
    led.setOn(true);
    ASSERT_TRUE(led.showingOnPicture());
    EXPECT_TRUE(guiWaitUntil([&] { return !led.showingOnPicture(); }));
    EXPECT_TRUE(guiWaitUntil([&] { return led.showingOnPicture(); }));
    // Setting the state it has does nothing: the rhythm goes on.
    led.setOn(true);
    EXPECT_TRUE(guiWaitUntil([&] { return !led.showingOnPicture(); }));

    led.setOn(false);
    EXPECT_FALSE(led.showingOnPicture());
    QElapsedTimer t;
    t.start();
    guiWaitUntil([&] { return t.elapsed() > 100; });
    EXPECT_FALSE(led.showingOnPicture());
}

TEST(ViewChoice, WindowOnlyWithADisplayAndWithoutConsole)
{
    const std::vector<std::string> plain{"varnock", "-run"};
    EXPECT_TRUE(wantsGui(plain, ":0", nullptr));
    EXPECT_TRUE(wantsGui(plain, nullptr, "wayland-0"));
    EXPECT_FALSE(wantsGui(plain, nullptr, nullptr));
    EXPECT_FALSE(wantsGui(plain, "", ""));
    EXPECT_FALSE(wantsGui({"varnock", "-console"}, ":0", nullptr));
    EXPECT_FALSE(wantsGui({"varnock", "/CONSOLE"}, ":0", nullptr));
    EXPECT_TRUE(wantsGui({"varnock", "--console"}, ":0", nullptr)); // not a switch
}

TEST(HelpPage, FoundBesideTheProgramOrUnderShare)
{
    guiApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bin = dir.path() + "/bin";
    QDir().mkpath(bin);
    EXPECT_TRUE(helpPageFile(bin).isEmpty());

    QDir().mkpath(dir.path() + "/share/varnock/help");
    QFile installed(dir.path() + "/share/varnock/help/varnock.html");
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    EXPECT_EQ(helpPageFile(bin), QFileInfo(installed).canonicalFilePath());

    QDir().mkpath(bin + "/help");
    QFile beside(bin + "/help/varnock.html");
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(helpPageFile(bin), QFileInfo(beside).canonicalFilePath());
}

TEST(QuitSignals, TerminationSignalEndsThroughTheEventLoop)
{
    guiApp();
    int quits = 0;
    {
        const QuitSignals signals([&] { ++quits; });
        std::raise(SIGTERM);
        EXPECT_EQ(quits, 0); // never inside the handler
        EXPECT_TRUE(guiWaitUntil([&] { return quits == 1; }));
    }
    EXPECT_EQ(quits, 1);
}

} // namespace
} // namespace varnock::test
