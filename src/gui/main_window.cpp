// MainWindow: controls from the layout table, clicks forwarded to the engine, state shown back.
#include "gui/main_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include "app/controls_actions.h"
#include "app/device_control.h"
#include "app/engine.h"
#include "app/settings.h"
#include "gui/color_button.h"
#include "gui/colour.h"
#include "gui/fonts.h"
#include "gui/frequency_digits.h"
#include "gui/help_page.h"
#include "gui/led_indicator.h"
#include "gui/list_factory.h"
#include "gui/main_window_layout.h"
#include "gui/status_panels.h"

namespace varnock {

namespace {

constexpr uint32_t kFormColour = 3932160, kCream = 15793151, kYellow = 65535, kGreen = 32768, kGrey = 8421504,
                   kOrange = 33023, kSilver = 12632256;

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

void setPressed(QAbstractButton* b, bool down)
{
    if (b == nullptr || b->isChecked() == down) return;
    const QSignalBlocker block(b);
    b->setChecked(down);
}

void setEnabledIf(QWidget* w, bool on)
{
    if (w != nullptr) w->setEnabled(on);
}

} // namespace

template <typename T>
T* MainWindow::control(const char* name) const
{
    return findChild<T*>(QString::fromLatin1(name));
}

MainWindow::MainWindow(Engine& engine, Settings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      engine_(engine), settings_(settings)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("varnock"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(sansFont(11));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colourOf(kFormColour));
    pal.setColor(QPalette::WindowText, colourOf(kCream));
    // Buttons keep a light face with dark captions: cream on a button face cannot be read.
    // Active and inactive only, so that disabled controls keep their grey look.
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::Button, colourOf(kSilver));
        pal.setColor(g, QPalette::ButtonText, Qt::black);
    }
    setPalette(pal);
    // Latching buttons must show plainly whether they are down.
    setStyleSheet(QStringLiteral(
        "QGroupBox { color: #fffbf0; }"
        "QPushButton { background: #c0c0c0; color: black; border: 1px outset #f0f0f0; padding: 0px; }"
        "QPushButton:pressed, QPushButton:checked { background: #6e6e6e; color: white; border: 1px inset #404040; }"
        "QPushButton:disabled { color: #7f7f7f; }"
        "QPushButton:checked:disabled { color: #b0b0b0; }"));

    Receiver& rx = engine_.receiver();
    buildMainWindowControls(this, [&rx](QWidget* p) { return makeMemo1(rx, p); });
    memo1_ = control<QWidget>("memo1");
    for (int n = 1; n <= 10; ++n) leds_[n] = control<TALed>(("ALed" + std::to_string(n)).c_str());
    statusBar_ = control<StatusPanelsBar>("StatusBar1");
    // A position left on a screen that is gone would put the window out of reach.
    const QPoint stored(settings_.formLeft, settings_.formTop);
    move(QGuiApplication::screenAt(stored) != nullptr ? stored : QPoint(10, 10));

    connectControls();
    makeTray();
    showFrequencyDigits(DeviceState::kReceiveFrequency);

    indicators_.setInterval(100);
    connect(&indicators_, &QTimer::timeout, this, &MainWindow::refreshIndicators);
    indicators_.start();
    refresh();
    refreshIndicators();
}

MainWindow::~MainWindow()
{
    if (tray_ != nullptr) tray_->hide();
}

void MainWindow::setDeviceControl(DeviceControl* device)
{
    device_ = device;
    refresh();
}

void MainWindow::connectControls()
{
    auto button = [this](const char* name) { return control<QAbstractButton>(name); };
    connect(button("ColorButton1"), &QAbstractButton::clicked, this, &MainWindow::BitBtn1Click);
    connect(button("BitBtn4"), &QAbstractButton::clicked, this, &MainWindow::BitBtn4Click);
    connect(button("sblist"), &QAbstractButton::clicked, this, &MainWindow::sblistClick);
    connect(button("sbudpout"), &QAbstractButton::clicked, this, &MainWindow::sbudpoutClick);
    connect(button("sbudp"), &QAbstractButton::clicked, this, &MainWindow::sbudpClick);
    connect(button("sbhelp"), &QAbstractButton::clicked, this, &MainWindow::sbhelpClick);
    connect(button("sbmodes"), &QAbstractButton::clicked, this, &MainWindow::sbmodesClick);
    connect(button("sbmodeac"), &QAbstractButton::clicked, this, &MainWindow::sbmodeacClick);
    connect(button("butuneragc"), &QAbstractButton::clicked, this, &MainWindow::butuneragcClick);
    connect(button("burtlagc"), &QAbstractButton::clicked, this, &MainWindow::burtlagcClick);
    connect(button("sbsisex"), &QAbstractButton::clicked, this, &MainWindow::sbsisexClick);
    connect(control<QComboBox>("cbgain"), &QComboBox::activated, this, &MainWindow::cbgainChange);
    // Only the user's moves; the program sets the position with signals blocked.
    connect(control<QSlider>("tbgain"), &QSlider::valueChanged, this, &MainWindow::tbgainChange);
}

void MainWindow::sbsisexClick(bool down)
{
    if (device_ == nullptr || engine_.receiver().controls.sbmodeac) {
        refresh();
        return;
    }
    device_->state().sbsisexDown = down;
    device_->state().explorerVisible = down;
    if (explorer_.toggled) explorer_.toggled(down);
    refresh();
}

void MainWindow::explorerClosed()
{
    if (device_ != nullptr) {
        device_->state().sbsisexDown = false;
        device_->state().explorerVisible = false;
    }
    refresh();
}

void MainWindow::hideExplorer()
{
    if (explorer_.toggled) explorer_.toggled(false);
    refresh();
}

void MainWindow::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    if (explorer_.repainted) explorer_.repainted();
}

void MainWindow::BitBtn1Click()
{
    if (device_ != nullptr) device_->BitBtn1Click(Sender::User);
    refresh();
}

void MainWindow::BitBtn4Click()
{
    if (device_ != nullptr) device_->BitBtn4Click();
    refresh();
}

void MainWindow::sblistClick()
{
    if (device_ != nullptr) device_->controls().toggleList();
    refresh();
}

void MainWindow::sbudpoutClick(bool down)
{
    engine_.sbudpoutClick(down);
    refresh();
    refreshIndicators();
}

void MainWindow::sbudpClick()
{
    const bool visible = hooks_.configVisible && hooks_.configVisible();
    if (engine_.sbudpClick(visible) && hooks_.showConfig) hooks_.showConfig();
    refresh();
    refreshIndicators();
}

void MainWindow::sbhelpClick()
{
    const bool opened = hooks_.openHelp ? hooks_.openHelp() : openHelpPage();
    if (!opened) {
        const QString file = helpPageFile();
        engine_.writeLogLine("Cannot open the help page " + (file.isEmpty() ? std::string("help/varnock.html") : file.toStdString()));
    }
}

void MainWindow::sbmodesClick()
{
    if (device_ != nullptr) device_->controls().pressModeS();
    refresh();
}

void MainWindow::sbmodeacClick()
{
    if (device_ != nullptr) device_->controls().pressModeAC();
    refresh();
}

void MainWindow::butuneragcClick()
{
    if (device_ != nullptr) device_->controls().toggleTunerAgc();
    refresh();
}

void MainWindow::burtlagcClick()
{
    if (device_ != nullptr) device_->controls().toggleRtlAgc();
    refresh();
}

void MainWindow::cbgainChange(int index)
{
    if (device_ != nullptr) device_->controls().chooseGain(index);
    refresh();
}

void MainWindow::tbgainChange(int position)
{
    if (device_ != nullptr) device_->controls().moveGainTrackBar(position);
    refresh();
}

void MainWindow::showFrequencyDigits(uint32_t hz)
{
    const std::array<char, 7> d = frequencyDigits(hz);
    static const char* const names[] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"};
    for (int i = 0; i < 7; ++i)
        if (auto* l = control<QLabel>(names[i])) l->setText(QString(QChar::fromLatin1(d[static_cast<std::size_t>(i)])));
}

void MainWindow::refresh()
{
    const Controls& c = engine_.receiver().controls;
    setPressed(control<QAbstractButton>("sblist"), c.sblist);
    setPressed(control<QAbstractButton>("sbudpout"), c.sbudpout);
    setPressed(control<QAbstractButton>("sbmodes"), c.sbmodes);
    setPressed(control<QAbstractButton>("sbmodeac"), c.sbmodeac);
    if (device_ == nullptr) {
        for (const char* n : {"sbmodes", "sbmodeac", "butuneragc", "tbgain", "cbgain", "burtlagc", "BitBtn4"})
            setEnabledIf(control<QWidget>(n), false);
        return;
    }
    const DeviceState& st = device_->state();
    setWindowTitle(QStringLiteral("varnock") + latin1(st.captionSuffix));

    auto* start = control<ColorButton>("ColorButton1");
    if (st.started) {
        start->setText(QStringLiteral("STOP"));
        start->setFaceColour(kGreen);
        start->setShadowColour(kGreen);
        start->setShadowDepth(255);
    } else {
        start->setText(QStringLiteral("START"));
        start->setFaceColour(kYellow);
    }

    for (const char* n : {"sbmodes", "sbmodeac", "butuneragc", "burtlagc", "BitBtn4"})
        setEnabledIf(control<QWidget>(n), st.controlsEnabled);
    setEnabledIf(control<QWidget>("tbgain"), st.controlsEnabled && st.manualGainEnabled);
    setEnabledIf(control<QWidget>("cbgain"), st.controlsEnabled && st.manualGainEnabled);
    setPressed(control<QAbstractButton>("butuneragc"), st.butuneragc);
    setPressed(control<QAbstractButton>("burtlagc"), st.burtlagc);
    auto* sisex = control<QAbstractButton>("sbsisex");
    sisex->setEnabled(st.sbsisexEnabled);
    setPressed(sisex, st.sbsisexDown);

    auto* combo = control<QComboBox>("cbgain");
    {
        const QSignalBlocker block(combo);
        bool same = combo->count() == static_cast<int>(st.cbgainItems.size());
        for (int i = 0; same && i < combo->count(); ++i)
            same = combo->itemText(i) == latin1(st.cbgainItems[static_cast<std::size_t>(i)]);
        if (!same) {
            combo->clear();
            for (const std::string& item : st.cbgainItems) combo->addItem(latin1(item));
        }
        combo->setCurrentIndex(st.cbgainIndex < combo->count() ? st.cbgainIndex : -1);
    }
    auto* track = control<QSlider>("tbgain");
    {
        const QSignalBlocker block(track);
        track->setRange(1, std::max(1, st.tbgainMax));
        track->setValue(st.tbgainPosition);
    }

    uint32_t panel = kGrey;
    if (st.panel1 == PanelColour::Black) panel = 0;
    if (st.panel1 == PanelColour::Orange) panel = kOrange;
    if (auto* p = control<QWidget>("Panel1"); p != nullptr && p->palette().color(QPalette::Window) != colourOf(panel)) {
        QPalette pal = p->palette();
        pal.setColor(QPalette::Window, colourOf(panel));
        p->setPalette(pal);
    }
}

void MainWindow::refreshIndicators()
{
    const Receiver& rx = engine_.receiver();
    const LedColours& colours = engine_.ledColours();
    for (int n = 1; n <= 10; ++n) {
        if (leds_[n] == nullptr) continue;
        leds_[n]->setOnColour(static_cast<uint32_t>(colours[n]));
        leds_[n]->setOn(rx.leds[n]);
    }
    if (statusBar_ != nullptr)
        for (int i = 0; i < statusBar_->panelCount() && i < 5; ++i)
            statusBar_->setPanelText(i, latin1(rx.round.panels.text[i]));
    if (tray_ != nullptr) tray_->setToolTip(latin1(rx.round.trayTip));
}

} // namespace varnock
