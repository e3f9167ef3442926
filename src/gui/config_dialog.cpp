// Configuration window: fixed layout, fields kept in the settings as typed, "Save + close" through the shared logic.
#include "gui/config_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/settings.h"
#include "gui/dialog_font.h"
#include "gui/home_picture.h"
#include "gui/table_name_filter.h"
#include "net/udp_sender.h"

namespace varnock {

namespace {

constexpr int kEditHeight = 21;

QLabel* label(QWidget* parent, const char* text, int x, int y, bool heading = false)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    if (heading) l->setFont(dialogFont(true));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, int x, int y, int width)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(x, y, width, kEditHeight);
    return e;
}

void showConversionError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, parent);
    box.exec();
}

QString qt(const std::string& s) { return QString::fromStdString(s); }

} // namespace

ConfigDialog::ConfigDialog(Settings& settings, HomeLocation& home, UdpSender& udp, QWidget* parent)
    : QDialog(parent), settings_(settings), home_(home), udp_(udp), errorBox_(showConversionError)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("varnock"));
    setModal(false);
    setFont(dialogFont());
    setFixedSize(kClientWidth, kClientHeight);
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    build();
    loadFields();
    move(settings_.form2Left, settings_.form2Top);
}

void ConfigDialog::build()
{
    label(this, "UDP target", 30, 16, true);
    label(this, "IP/URL", 30, 44);
    Edit1 = edit(this, "Edit1", 80, 40, 151);
    label(this, "Port", 30, 74);
    Edit2 = edit(this, "Edit2", 80, 70, 61);

    cblocal = new QCheckBox(QStringLiteral("Use"), this);
    cblocal->setObjectName(QStringLiteral("cblocal"));
    cblocal->move(30, 120);
    cblocal->adjustSize();
    label(this, "Home location", 80, 121, true);
    auto* note = new QLabel(QStringLiteral("Please copy and paste your home location data from Planeplotter here"), this);
    note->setObjectName(QStringLiteral("StaticText1"));
    note->setWordWrap(true);
    note->setGeometry(32, 140, 206, 32);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Made before the two fields so that they lie over it.
    auto* picture = new HomePicture(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->move(0, 180);
    ednorth = edit(this, "ednorth", 181, 213, 80);
    edeast = edit(this, "edeast", 181, 243, 80);
    ednorth->setMaxLength(static_cast<int>(kHomeCoordinateMaxLength));
    edeast->setMaxLength(static_cast<int>(kHomeCoordinateMaxLength));

    label(this, "Station ID", 30, 304);
    edid = edit(this, "edid", 99, 300, 116);
    edid->setMaxLength(static_cast<int>(kStationIdMaxLength));

    label(this, "HTTP server table names", 30, 340, true);
    static const char* const kTableLabels[4] = {"Table 1", "Table 2", "Table 3", "Table 4"};
    static const char* const kTableNames[4] = {"edtable1", "edtable2", "edtable3", "edtable4"};
    for (int i = 0; i < 4; ++i) {
        const int top = 365 + 30 * i;
        label(this, kTableLabels[i], 30, top + 4);
        edtable[i] = edit(this, kTableNames[i], 99, top, 116);
        TableNameFilter::install(edtable[i]);
    }

    Button1 = new QPushButton(QStringLiteral("Save + close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(97, 495, 75, 25);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::textChanged, this, [this] { storeFields(); });
    connect(cblocal, &QCheckBox::toggled, this, [this](bool on) {
        // Local decoding reads it at every position.
        home_.use = on;
        storeFields();
    });
}

void ConfigDialog::loadFields()
{
    ConfigValues v;
    HomeLocation loaded; // the numbers in use are the receiver's, not the file's
    loadConfigValues(settings_, v, loaded);
    loading_ = true;
    Edit1->setText(qt(v.Edit1));
    Edit2->setText(qt(v.Edit2));
    cblocal->setChecked(home_.use);
    ednorth->setText(qt(v.ednorth));
    edeast->setText(qt(v.edeast));
    edid->setText(qt(v.edid));
    for (int i = 0; i < 4; ++i) edtable[i]->setText(qt(v.edtable[i]));
    loading_ = false;
    // A text the fields cut (too long, or characters a table name cannot hold) is what is kept.
    storeFields();
}

ConfigValues ConfigDialog::values() const
{
    ConfigValues v;
    v.Edit1 = Edit1->text().toStdString();
    v.Edit2 = Edit2->text().toStdString();
    v.cblocal = cblocal->isChecked();
    v.ednorth = ednorth->text().toStdString();
    v.edeast = edeast->text().toStdString();
    v.edid = edid->text().toStdString();
    for (int i = 0; i < 4; ++i) v.edtable[i] = edtable[i]->text().toStdString();
    return v;
}

void ConfigDialog::storeFields()
{
    if (loading_) return;
    storeConfigValues(values(), home_, settings_);
}

void ConfigDialog::Button1Click()
{
    UdpSenderTarget target;
    if (udp_.targetPort() != 0) target.port = udp_.targetPort();
    const bool close = varnock::Button1Click(values(), target, home_, [this](const std::string& message) {
        if (errorBox_) errorBox_(this, qt(message));
    });
    udp_.setTarget(qt(target.host), static_cast<quint16>(target.port));
    storeFields();
    if (close) hide();
}

void ConfigDialog::showEvent(QShowEvent* event)
{
    loadFields();
    QDialog::showEvent(event);
}

void ConfigDialog::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (isVisible()) storePosition();
}

void ConfigDialog::storePosition()
{
    settings_.form2Left = x();
    settings_.form2Top = y();
}

} // namespace varnock
