// Reprogramming dialog and questions: the whole serial rewrite driven through the real dialog and boxes.
#include "gui/gui_dialogs.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include <cstring>
#include <vector>

#include "app/eeprom_serial.h"
#include "app/view.h"
#include "gui_test_support.h"
#include "modal_driver.h"

namespace varnock {
namespace {

using test::guiApp;
using test::ModalDriver;

QSpinBox* spin(QWidget* dialog, int k)
{
    auto* s = dialog->findChild<QSpinBox*>(QStringLiteral("SpinEdit%1").arg(k));
    EXPECT_NE(s, nullptr) << k;
    return s;
}

void typeDigit(QSpinBox* s, char digit)
{
    s->selectAll();
    const QString text(QChar::fromLatin1(digit));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_0 + (digit - '0'), Qt::NoModifier, text);
    QCoreApplication::sendEvent(s, &down);
}

void click(QWidget* dialog, const char* name)
{
    dialog->findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

// A window's View as the main window delegates it: the dialogs over no parent.
class DialogsView final : public View {
public:
    void messageLine(const std::string&) override {}
    bool askYesNo(const std::string& text, const std::string& caption, bool icon) override
    {
        return GuiDialogs::askYesNo(nullptr, text, caption, icon);
    }
    void errorBox(const std::string& text) override { GuiDialogs::errorBox(nullptr, text); }
    bool reprogrammingDialog(int digits[8]) override { return GuiDialogs::reprogrammingDialog(nullptr, digits); }
};

// The dongle's EEPROM for the fake library calls below.
EepromImage eeprom;
int writes = 0;

int fakeRead(rtlsdr_dev_t*, uint8_t* data, uint8_t, uint16_t len)
{
    std::memcpy(data, eeprom.bytes, len);
    return 0;
}
int fakeWrite(rtlsdr_dev_t*, uint8_t* data, uint8_t, uint16_t len)
{
    std::memcpy(eeprom.bytes, data, len);
    ++writes;
    return 0;
}

void putDescriptor(int& pos, const std::string& s)
{
    eeprom.bytes[pos] = static_cast<uint8_t>(2 + 2 * s.size());
    eeprom.bytes[pos + 1] = 3;
    for (std::size_t i = 0; i < s.size(); ++i) eeprom.bytes[pos + 2 + 2 * static_cast<int>(i)] = static_cast<uint8_t>(s[i]);
    pos += 2 + 2 * static_cast<int>(s.size());
}

// The digits go in and out through the dialog; only three Yes answers write them.
TEST(ReproDialog, RewritesTheSerialWithTheEditedDigitsOnlyAfterThreeYesAnswers)
{
    guiApp();
    const std::vector<QString> questions = {
        QStringLiteral("Are you sure you want to overwrite the serial number of your RTL2832U device?"),
        QStringLiteral("Are you really sure you want to continue?"),
        QStringLiteral("Again, I acknowledge that reprogammierung of the serial number is at my own risk."),
    };
    RtlSdrApi api;
    api.read_eeprom = fakeRead;
    api.write_eeprom = fakeWrite;

    for (int no = -1; no <= 3; ++no) { // -1: Cancel; 0..2: the question answered No; 3: none
        SCOPED_TRACE(no);
        eeprom = EepromImage();
        writes = 0;
        int pos = EepromImage::kStringsAt;
        putDescriptor(pos, "Realtek");
        putDescriptor(pos, "RTL2838UHIDIR");
        putDescriptor(pos, "00000001");

        std::vector<int> shown;
        QString caption;
        std::deque<ModalDriver::Step> steps = {[&](QWidget* d) {
            caption = d->windowTitle();
            for (int k = 1; k <= 8; ++k) shown.push_back(spin(d, k)->value());
            EXPECT_EQ(d->size(), QSize(417, 336));
            EXPECT_FALSE(spin(d, 1)->isEnabled());
            typeDigit(spin(d, 8), '2'); // typed
            spin(d, 3)->stepUp();       // arrows
            typeDigit(spin(d, 4), '7'); // arrows only: typing does nothing
            click(d, no < 0 ? "BitBtn2" : "BitBtn1");
        }};
        for (int q = 0; q < 3 && q <= no; ++q) {
            steps.push_back([&asked = caption, q, no](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                asked += "\n" + box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon());
                box->button(q == no ? QMessageBox::No : QMessageBox::Yes)->click();
            });
        }
        ModalDriver driver(std::move(steps));
        DialogsView view;
        std::vector<std::string> lines;
        reprogramSerial(api, nullptr, "00000001", view, [&](const std::string& l) { lines.push_back(l); });

        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(driver.leftovers(), 0);
        EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 1}));
        QString want = QStringLiteral("Reprogamming RTL2832U serial number");
        for (int q = 0; q < 3 && q <= no; ++q) want += "\nvarnock|" + questions[q] + "|0";
        EXPECT_EQ(caption, want);
        EXPECT_EQ(writes, no == 3 ? 1 : 0);
        EXPECT_EQ(readEepromStrings(eeprom).serial, no == 3 ? "00100002" : "00000001");
        const char* last = no == 3 ? "** Serial:       00100002"
                           : no < 0 ? "!! Reprogramming cancelled by user"
                                    : "** Entering EEPROM mode";
        EXPECT_EQ(lines.back(), last);
    }
}

} // namespace
} // namespace varnock
