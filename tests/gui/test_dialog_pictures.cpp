// Pictures of the two dialogs for looking at, written only when VARNOCK_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/settings.h"
#include "gui/config_dialog.h"
#include "gui/repro_dialog.h"
#include "gui_test_support.h"
#include "net/udp_sender.h"

namespace varnock {
namespace {

QString shotDir()
{
    const char* dir = std::getenv("VARNOCK_SCREENSHOT_DIR");
    return dir != nullptr ? QString::fromLocal8Bit(dir) : QString();
}

TEST(DialogPictures, SavedWhenAsked)
{
    const QString dir = shotDir();
    if (dir.isEmpty()) GTEST_SKIP() << "VARNOCK_SCREENSHOT_DIR not set";
    test::guiApp();

    Settings s;
    s.udpIp = "127.0.0.1";
    s.udpPort = "31012";
    s.homeSNorth = "N51 28.500";
    s.homeSEast = "E007 12.250";
    s.homeUse = true;
    s.id = "HOME1";
    s.table1 = "A123456";
    s.table2 = "B234567";
    s.table3 = "C345678";
    s.table4 = "D456789";
    HomeLocation home{51.475, 7.2041666, true};
    UdpSender udp;
    ConfigDialog config(s, home, udp);
    config.show();
    EXPECT_TRUE(config.grab().save(dir + "/config_dialog.png"));

    ReproDialog repro;
    const int digits[8] = {0, 0, 0, 0, 0, 0, 0, 1};
    repro.setDigits(digits);
    repro.show();
    EXPECT_TRUE(repro.grab().save(dir + "/repro_dialog.png"));
}

} // namespace
} // namespace varnock
