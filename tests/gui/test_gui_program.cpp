// The program itself with a display: the window comes up, START runs, the window grabs itself and the
// program ends by itself with its settings saved.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "app/test_device_support.h"
#include "gui_test_support.h"

namespace varnock::test {
namespace {

#if defined(VARNOCK_BIN) && defined(VARNOCK_SIMDONGLE_LIB)
TEST(GuiProgram, RunsTheWindowOnTheSimulatedDongleAndEndsCleanly)
{
    guiApp();
    QTemporaryDir home, shots;
    ASSERT_TRUE(home.isValid() && shots.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":varnock-test"); // a display exists; the offscreen platform draws
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VARNOCK_HOME", home.path());
    env.insert("VARNOCK_RTLSDR_LIB", VARNOCK_SIMDONGLE_LIB);
    env.insert("VARNOCK_SIM_SOURCE", "demo");
    env.insert("VARNOCK_SCREENSHOT_DIR", shots.path());
    env.insert("VARNOCK_SCREENSHOT_AFTER", "2.5");
    env.insert("VARNOCK_SCREENSHOT_TABLE_AFTER", "0.3");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    const int base = freePortBase();
    ASSERT_NE(base, 0);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(VARNOCK_BIN, {"-run", "-nohttp", QString("-portbase=%1").arg(base)});
    ASSERT_TRUE(p.waitForStarted());
    ASSERT_TRUE(p.waitForFinished(60000)) << "the program did not end after its screenshots";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    const QImage packets(shots.filePath("main-packets.png"));
    ASSERT_FALSE(packets.isNull());
    EXPECT_EQ(packets.size(), QSize(383, 547));
    EXPECT_FALSE(QImage(shots.filePath("main-aircraft.png")).isNull());
    EXPECT_TRUE(QFile::exists(home.filePath("varnock.ini")));
}
#endif

} // namespace
} // namespace varnock::test
