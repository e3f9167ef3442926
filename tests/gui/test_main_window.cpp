// The main window over the engine: clicks reach the device, the widgets show what the engine holds.
#include <QComboBox>
#include <QSlider>
#include <QStyle>
#include <QToolTip>

#include "app/controls_actions.h"
#include "app/engine.h"
#include "app/settings.h"
#include "gui/color_button.h"
#include "gui/colour.h"
#include "gui/hint_style.h"
#include "gui/led_indicator.h"
#include "gui/status_panels.h"
#include "main_window_fixture.h"

namespace varnock::test {
namespace {

// The colour of the button's face, away from its caption and bevel.
QColor faceOf(QWidget* b) { return b->grab().toImage().pixelColor(4, 4); }

std::vector<bool> enabledStates(const QWidget& window)
{
    std::vector<bool> out;
    for (const char* n : {"sbmodes", "sbmodeac", "butuneragc", "tbgain", "cbgain", "burtlagc", "BitBtn4"})
        out.push_back(window.findChild<QWidget*>(QString::fromLatin1(n))->isEnabled());
    return out;
}

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, StartClickBringsTheDongleUpAndTheWindowShowsIt)
{
    make();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("varnock"));
    EXPECT_EQ(button("ColorButton1")->text(), QStringLiteral("START"));
    EXPECT_EQ(faceOf(button("ColorButton1")), colourOf(65535)); // yellow
    EXPECT_EQ(enabledStates(*window), std::vector<bool>(7, false));
    EXPECT_EQ(w("Panel1")->palette().color(QPalette::Window), QColor(128, 128, 128));

    button("ColorButton1")->click();

    ASSERT_TRUE(st().started);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("varnock - Rafael R820T - Realtek - Generic RTL2832U OEM"));
    EXPECT_EQ(button("ColorButton1")->text(), QStringLiteral("STOP"));
    EXPECT_EQ(faceOf(button("ColorButton1")), colourOf(32768)); // green
    // Tuner AGC is down by default: the manual gain controls stay grey.
    EXPECT_EQ(enabledStates(*window), (std::vector<bool>{true, true, true, false, false, true, true}));
    EXPECT_TRUE(button("butuneragc")->isChecked());
    EXPECT_EQ(w("Panel1")->palette().color(QPalette::Window), QColor(0, 0, 0));
    auto* combo = w<QComboBox>("cbgain");
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), QStringLiteral("49.6 dB"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("24.0 dB"));
    EXPECT_EQ(w<QSlider>("tbgain")->maximum(), 4);
    EXPECT_EQ(w<QSlider>("tbgain")->value(), 3);
}

TEST_F(MainWindowTest, StopClickEndsTheProgramAfterTheExitQuestion)
{
    make({"-exitdialog"});
    button("ColorButton1")->click();
    ASSERT_TRUE(st().started);

    answerYes = false;
    button("ColorButton1")->click();
    EXPECT_FALSE(program->ended());
    EXPECT_TRUE(program->engine().streaming());

    answerYes = true;
    button("ColorButton1")->click();
    EXPECT_TRUE(program->ended());
    EXPECT_FALSE(program->engine().streaming());
    EXPECT_EQ(questions, (std::vector<std::string>{"Are you sure to exit?", "Are you sure to exit?"}));
    EXPECT_TRUE(std::filesystem::exists(home() / "varnock.ini"));
}

TEST_F(MainWindowTest, MinSwitchHidesTheWindowWhenTheStartupTimerFires)
{
    startupDelayMs = 10;
    make({"-min"});
    window->show();
    window->setTrayAvailable(true);
    program->setHideToTray([this] { window->hideToTray(); });
    EXPECT_TRUE(guiWaitUntil([this] { return !window->isVisible(); }));
    EXPECT_FALSE(controls().mainWindowVisible);
}

TEST_F(MainWindowTest, ATuneThatFailsTurnsThePanelOrange)
{
    setEnv("VARNOCK_SIM_0_FMAX", "1000000000");
    make();
    button("ColorButton1")->click();
    EXPECT_EQ(w("Panel1")->palette().color(QPalette::Window), colourOf(33023));
}

TEST_F(MainWindowTest, ManualGainFromTheListAndTheTrackBar)
{
    make();
    button("ColorButton1")->click();
    button("butuneragc")->click(); // up: manual gain
    EXPECT_FALSE(st().butuneragc);
    ASSERT_TRUE(w("cbgain")->isEnabled());
    ASSERT_TRUE(w("tbgain")->isEnabled());

    Q_EMIT w<QComboBox>("cbgain")->activated(3);
    EXPECT_EQ(st().currentGainDb, 49.6);
    EXPECT_EQ(w<QSlider>("tbgain")->value(), 4);
    EXPECT_TRUE(hasLine("Gain: 49.6 dB"));

    w<QSlider>("tbgain")->setValue(1); // as a drag does
    EXPECT_EQ(st().currentGainDb, 0.0);
    EXPECT_EQ(w<QComboBox>("cbgain")->currentText(), QStringLiteral("0.0 dB"));
}

TEST_F(MainWindowTest, ModeButtonsFormOneGroupThatCannotBeReleased)
{
    make();
    button("sbmodeac")->click(); // disabled before START
    EXPECT_FALSE(controls().sbmodeac);

    button("ColorButton1")->click();
    button("sbmodeac")->click();
    EXPECT_TRUE(controls().sbmodeac);
    EXPECT_FALSE(controls().sbmodes);
    EXPECT_TRUE(button("sbmodeac")->isChecked());
    EXPECT_FALSE(button("sbmodes")->isChecked());
    EXPECT_FALSE(button("sbsisex")->isEnabled());
    EXPECT_EQ(st().currentSampleRate, 2068965);

    button("sbmodeac")->click(); // a down button stays down
    EXPECT_TRUE(button("sbmodeac")->isChecked());
    EXPECT_TRUE(controls().sbmodeac);

    button("sbmodes")->click();
    EXPECT_EQ((std::vector<bool>{controls().sbmodes, controls().sbmodeac, button("sbmodes")->isChecked(),
                                 button("sbmodeac")->isChecked(), button("sbsisex")->isEnabled()}),
              (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(st().currentSampleRate, 2000000);
}

TEST_F(MainWindowTest, ListButtonCannotShowPacketsWhileTheListIsFrozen)
{
    make();
    button("sblist")->click();
    EXPECT_FALSE(controls().sblist);
    EXPECT_FALSE(button("sblist")->isChecked());
    program->engine().receiver().list.listFreeze = true;
    button("sblist")->click();
    EXPECT_FALSE(controls().sblist);
    EXPECT_FALSE(button("sblist")->isChecked());
}

TEST_F(MainWindowTest, SendUdpLatchesAndColoursItsLed)
{
    make();
    auto* led = w<TALed>("ALed8");
    button("sbudpout")->click();
    EXPECT_TRUE(controls().sbudpout);
    EXPECT_EQ(led->onColour(), 33023u);
    button("sbudpout")->click();
    EXPECT_FALSE(controls().sbudpout);
    EXPECT_EQ(led->onColour(), 65535u);
}

TEST_F(MainWindowTest, ConfigShowsTheDialogOnlyWhenHiddenAndStopsSendingUdp)
{
    make();
    bool visible = false;
    int shown = 0;
    MainWindow::Hooks hooks;
    hooks.configVisible = [&] { return visible; };
    hooks.showConfig = [&] { ++shown; };
    window->setHooks(hooks);

    button("sbudpout")->click();
    visible = true;
    button("sbudp")->click();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(button("sbudpout")->isChecked());

    visible = false;
    button("sbudp")->click();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(controls().sbudpout);
    EXPECT_FALSE(button("sbudpout")->isChecked());
    EXPECT_EQ(w<TALed>("ALed8")->onColour(), 65535u);
}

TEST_F(MainWindowTest, LedsShowTheEngineStateInTheirColours)
{
    make();
    Receiver& rx = program->engine().receiver();
    rx.leds[1] = true;
    rx.leds[9] = true;
    window->refreshIndicators();
    EXPECT_EQ(w<TALed>("ALed1")->shownColour(), colourOf(16749092));
    EXPECT_EQ(w<TALed>("ALed9")->shownColour(), colourOf(16744703));
    EXPECT_EQ(w<TALed>("ALed2")->shownColour(), colourOf(12632256)); // off: silver
    EXPECT_TRUE(w<TALed>("ALed7")->blinks());
    EXPECT_FALSE(w<TALed>("ALed1")->blinks());

    rx.leds[1] = false;
    rx.round.panels.text[3] = "TCP Port: 31001";
    window->refreshIndicators();
    EXPECT_EQ(w<TALed>("ALed1")->shownColour(), colourOf(12632256));
    EXPECT_EQ(w<StatusPanelsBar>("StatusBar1")->panelText(3), QStringLiteral("TCP Port: 31001"));
}

TEST_F(MainWindowTest, CntrWidensTheWindowOnceAtStart)
{
    make({"-cntr"});
    EXPECT_FALSE(window->requestSizeChange(QSize(878, 547))); // refused before START
    EXPECT_EQ(window->size(), QSize(383, 547));

    button("ColorButton1")->click();
    EXPECT_EQ(window->size(), QSize(878, 547));
    EXPECT_EQ(w("memo1")->width(), 860);
    EXPECT_EQ(w("Bevel1")->width(), 861);
    EXPECT_FALSE(program->engine().options().cntrWiden);

    EXPECT_FALSE(window->requestSizeChange(QSize(383, 547)));
    EXPECT_EQ(window->size(), QSize(878, 547));
}

TEST_F(MainWindowTest, WithoutCntrTheWindowKeepsItsSize)
{
    make();
    button("ColorButton1")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(383, 547));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
}

TEST_F(MainWindowTest, HidingToTheTrayAndBack)
{
    make();
    window->show();
    window->setTrayAvailable(true);
    window->hideToTray();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(controls().mainWindowVisible);
    window->restoreFromTray();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(controls().mainWindowVisible);

    // No notification area: a plain minimise, and the window still counts as shown.
    window->setTrayAvailable(false);
    window->hideToTray();
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(controls().mainWindowVisible);
}

TEST_F(MainWindowTest, PositionComesFromTheSettingsAndGoesBack)
{
    program.reset();
    make();
    Settings& s = program->settings();
    MainWindow second(program->engine(), s);
    EXPECT_EQ(second.pos(), QPoint(s.formLeft, s.formTop));
    second.show();
    second.move(120, 130);
    EXPECT_EQ(QPoint(s.formLeft, s.formTop), QPoint(120, 130));
}

TEST_F(MainWindowTest, CloseBoxAsksWithExitDialogAndNoKeepsTheProgram)
{
    make({"-exitdialog"});
    MainWindow::Hooks hooks;
    hooks.closeRequested = [this] {
        program->endApplication();
        return program->ended();
    };
    window->setHooks(hooks);
    window->show();

    answerYes = false;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(questions, std::vector<std::string>{"Are you sure to exit?"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(program->ended());

    answerYes = true;
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(program->ended());
}

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem)
{
    make();
    EXPECT_EQ(window->size(), QSize(383, 547));
    EXPECT_EQ(w("ColorButton1")->geometry(), QRect(310, 128, 65, 41));
    EXPECT_EQ(w("memo1")->geometry(), QRect(12, 176, 371, 315));
    EXPECT_EQ(w("ALed10")->geometry(), QRect(350, 500, 22, 14));
    EXPECT_EQ(w("Label5")->parentWidget()->objectName(), QStringLiteral("Panel1"));
    EXPECT_EQ(w("StatusBar1")->geometry(), QRect(0, 524, 383, 23));
    EXPECT_EQ(w("Label1")->font().family(), QStringLiteral("OCRA"));
    EXPECT_EQ(w("memo1")->font().family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(w("sbudpout")->toolTip(), QStringLiteral("Send UDP packets to other VARNOCK"));
    EXPECT_EQ(w("sbudpout")->toolTipDuration(), 3000);
    EXPECT_EQ(w("ALed9")->toolTip(), QStringLiteral("TCP client connected to port 310x4 (30003 style)"));
}

TEST_F(MainWindowTest, HintsUseTheHintFontColourAndPause)
{
    installHints();
    EXPECT_EQ(QToolTip::font().family(), QStringLiteral("OCRA"));
    EXPECT_EQ(QToolTip::font().pointSize(), 10);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0, 255, 255));
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 250);
}

} // namespace
} // namespace varnock::test
