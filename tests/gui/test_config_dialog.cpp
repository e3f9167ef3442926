// Configuration window: table name keys, "Save + close" with good and bad texts, and what opening it reads and writes.
#include "gui/config_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <memory>
#include <vector>

#include "app/settings.h"
#include "gui_test_support.h"
#include "modal_driver.h"
#include "net/udp_sender.h"

namespace varnock {
namespace {

using test::guiApp;

void press(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text)
{
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(w, &down);
    QCoreApplication::sendEvent(w, &up);
}

void type(QWidget* w, const QString& keys)
{
    for (QChar c : keys) press(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

class ConfigDialogTest : public ::testing::Test {
protected:
    QApplication& app = guiApp();
    Settings settings;
    HomeLocation home{10.0, 20.0, false};
    UdpSender udp;
    std::vector<std::string> errors;
    std::unique_ptr<ConfigDialog> dialog;

    ConfigDialog& make()
    {
        dialog = std::make_unique<ConfigDialog>(settings, home, udp);
        dialog->setErrorBox([this](QWidget*, const QString& text) { errors.push_back(text.toStdString()); });
        return *dialog;
    }
    QLineEdit* field(const char* name) const
    {
        auto* e = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(e, nullptr) << name;
        return e;
    }
};

TEST_F(ConfigDialogTest, TableNamesTakeLettersAndDigitsOnlyAndAtMostEight)
{
    make();
    QLineEdit* t = field("edtable1");
    t->clear();
    type(t, QStringLiteral("aB3-x .9Z_\u00e9+"));
    EXPECT_EQ(t->text(), QStringLiteral("aB3x9Z"));
    type(t, QStringLiteral("QWERTY"));
    EXPECT_EQ(t->text(), QStringLiteral("aB3x9ZQW"));
    press(t, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(t->text(), QStringLiteral("aB3x9ZQ"));
    EXPECT_EQ(settings.table1, "aB3x9ZQ"); // the HTTP pages read it there

    // A paste brings characters past the keys: they are cleaned the same way.
    t->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("x-y z1"));
    press(t, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(t->text(), QStringLiteral("xyz1"));
    // ... also in the middle, where typing goes on after it.
    t->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("-AB "));
    press(t, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    type(t, QStringLiteral("c-"));
    EXPECT_EQ(t->text(), QStringLiteral("xABcyz1"));

    // Only the table names are filtered; the station ID takes any character up to eight.
    QLineEdit* id = field("edid");
    id->clear();
    type(id, QStringLiteral("my-st a123"));
    EXPECT_EQ(id->text(), QStringLiteral("my-st a1"));
    EXPECT_EQ(settings.id, "my-st a1");
}

TEST_F(ConfigDialogTest, SaveAndCloseAppliesTheTargetAndHomeOrReportsConversionErrors)
{
    const std::string portError = "Conversion error for port";
    const std::string homeError = "Conversion error for home location";
    struct Case {
        const char* name;
        const char* port;
        const char* north;
        const char* east;
        std::vector<std::string> errors;
        bool staysOpen;
        double lat, lon;
        quint16 udpPort;
    };
    const std::vector<Case> cases = {
        {"north east", "40001", "N51 28.500", "E007 12.250", {}, false, 51.475, 7.2041666666666666, 40001},
        {"south west", " 40002 ", "S33 52.000", "W151 12.600", {}, false, -33.866666666666667, -151.21, 40002},
        {"bad port, home still applied", "31x", "N51", "E7", {portError}, false, 51.0, 7.0, 30000},
        {"latitude beyond 89", "40001", "N90 00.000", "E007 12.250", {homeError}, true, 0, 0, 40001},
        {"east missing", "40001", "N51 28.500", "", {homeError}, true, 0, 0, 40001},
        {"both empty", "40001", "", "", {}, false, 0, 0, 40001},
        {"both wrong", "", "X", "", {portError, homeError}, true, 0, 0, 30000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        home = HomeLocation{10.0, 20.0, false};
        udp.setTarget(QStringLiteral("127.0.0.1"), 30000);
        errors.clear();
        make().show();
        field("Edit1")->setText(QStringLiteral("192.0.2.7"));
        field("Edit2")->setText(QString::fromLatin1(c.port));
        field("ednorth")->setText(QString::fromLatin1(c.north));
        field("edeast")->setText(QString::fromLatin1(c.east));
        dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click();

        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(dialog->isVisible(), c.staysOpen);
        EXPECT_NEAR(home.lat, c.lat, 1e-9);
        EXPECT_NEAR(home.lon, c.lon, 1e-9);
        EXPECT_EQ(udp.targetAddress(), QHostAddress(QStringLiteral("192.0.2.7")));
        EXPECT_EQ(udp.targetPort(), c.udpPort);
        // The texts are kept as typed, for the next opening and the save at exit.
        EXPECT_EQ(settings.udpIp, "192.0.2.7");
        EXPECT_EQ(settings.udpPort, c.port);
        EXPECT_EQ(settings.homeSNorth, c.north);
        EXPECT_EQ(settings.homeSEast, c.east);
        EXPECT_EQ(settings.homeNorth, home.lat);
        EXPECT_EQ(settings.homeEast, home.lon);
    }
}

TEST_F(ConfigDialogTest, AConversionErrorIsAnErrorBoxWithoutCaption)
{
    ConfigDialog real(settings, home, udp); // with the box it is made with
    real.show();
    real.findChild<QLineEdit*>(QStringLiteral("ednorth"))->setText(QStringLiteral("N51 28.500"));
    real.findChild<QLineEdit*>(QStringLiteral("edeast"))->setText(QStringLiteral("E07 60.000"));
    QString seen;
    test::ModalDriver driver({[&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        seen = box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon());
        box->button(QMessageBox::Ok)->click();
    }});
    real.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(seen, QStringLiteral("|Conversion error for home location|%1").arg(int(QMessageBox::Critical)));
    EXPECT_TRUE(real.isVisible());
    EXPECT_EQ(home.lat, 0.0);
    EXPECT_EQ(home.lon, 0.0);
}

TEST_F(ConfigDialogTest, OpensWhereItWasWithTheSavedTextsAndDoesNotBlock)
{
    settings.form2Left = 123;
    settings.form2Top = 77;
    settings.udpPort = "31012";
    settings.homeSNorth = "N51 28.500";
    settings.table2 = "B123456";
    ConfigDialog& d = make();
    d.show();
    EXPECT_FALSE(d.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("varnock"));
    EXPECT_EQ(d.size(), QSize(269, 528));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_EQ(d.pos(), QPoint(123, 77));
    EXPECT_EQ(field("ednorth")->text(), QStringLiteral("N51 28.500"));
    EXPECT_EQ(field("edtable2")->text(), QStringLiteral("B123456"));
    // The home numbers in use are not reloaded from the file.
    EXPECT_EQ(home.lat, 10.0);

    d.move(200, 150);
    EXPECT_EQ(std::make_pair(settings.form2Left, settings.form2Top), std::make_pair(200, 150));

    // "Use" is read at every decoding: it switches at once.
    d.findChild<QCheckBox*>(QStringLiteral("cblocal"))->click();
    EXPECT_TRUE(home.use);
    EXPECT_TRUE(settings.homeUse);

    // START rewrote the port text while the dialog was closed: the next opening shows it.
    d.hide();
    settings.udpPort = "31013";
    d.show();
    EXPECT_EQ(field("Edit2")->text(), QStringLiteral("31013"));
}

} // namespace
} // namespace varnock
