// Reprogramming dialog layout: red warning text, digits 1-5 on their arrows only, 6-8 also typed, the first fixed.
#include "gui/repro_dialog.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include "gui/colour.h"
#include "gui/dialog_font.h"

namespace varnock {

namespace {

constexpr const char* kWarning = "I acknowledge that the execution of the RTL2832U \n"
                                 "programming function is fully at my own risk. I will not \n"
                                 "held liable the author of the programming software \n"
                                 "for any damages that may occur during or by reason \n"
                                 "of the reprogramming of the serial number. If I do not \n"
                                 "wish to execute this function I leave the dialog by \n"
                                 "pressing CANCEL now.";

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kSilver = 0xC0C0C0;
constexpr uint32_t kGrey = 0x808080;

QPushButton* button(QWidget* parent, const char* name, const char* caption, int x)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 290, 75, 25);
    return b;
}

} // namespace

ReproDialog::ReproDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tforepro"));
    setWindowTitle(QStringLiteral("Reprogamming RTL2832U serial number"));
    setModal(true);
    setFont(dialogFont());
    setFixedSize(kClientWidth, kClientHeight);
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* memo = new QPlainTextEdit(QString::fromLatin1(kWarning), this);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setGeometry(20, 40, 371, 136);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette red = memo->palette();
    red.setColor(QPalette::Text, colourOf(kRed));
    memo->setPalette(red);

    for (int k = 0; k < 8; ++k) {
        auto* s = new QSpinBox(this);
        SpinEdit[k] = s;
        s->setObjectName(QStringLiteral("SpinEdit%1").arg(k + 1));
        s->setGeometry(50 + 40 * k, 220, 41, 26);
        s->setRange(0, 9);
        auto* text = s->findChild<QLineEdit*>();
        text->setMaxLength(1);
        if (k < 5) {
            // Stepped with the arrows only.
            text->setReadOnly(true);
            QPalette silver = s->palette();
            silver.setColor(QPalette::Base, colourOf(kSilver));
            // The style's greyed text vanishes on silver; the fixed first digit must still be read.
            silver.setColor(QPalette::Disabled, QPalette::Text, colourOf(kGrey));
            s->setPalette(silver);
            text->setPalette(silver);
        }
    }
    SpinEdit[0]->setEnabled(false);

    QPushButton* ok = button(this, "BitBtn1", "Continue", 110);
    QPushButton* cancel = button(this, "BitBtn2", "Cancel", 240);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ReproDialog::setDigits(const int digits[8])
{
    for (int k = 0; k < 8; ++k) SpinEdit[k]->setValue(digits[k]); // the box clamps
}

void ReproDialog::digits(int out[8]) const
{
    for (int k = 0; k < 8; ++k) out[k] = SpinEdit[k]->value();
}

} // namespace varnock
