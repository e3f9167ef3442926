// Tfosis: the explorer's controls bound to the Explorer's handlers, and its state shown back on them.
#include "gui/sisex_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSlider>

#include <vector>

#include "app/settings.h"
#include "gui/fonts.h"
#include "gui/sisex_picture.h"
#include "gui/sisex_strip.h"
#include "gui/sisex_window_layout.h"
#include "gui/status_panels.h"

namespace varnock {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

void setValueQuietly(QSlider* s, int v)
{
    const QSignalBlocker block(s);
    s->setValue(v);
}

void setCheckedQuietly(QAbstractButton* b, bool down)
{
    const QSignalBlocker block(b);
    b->setChecked(down);
}

} // namespace

Tfosis::Tfosis(sisex::Explorer& explorer, Settings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      explorer_(explorer), settings_(settings)
{
    setObjectName(QStringLiteral("Tfosis"));
    buildSisexControls(this);
    QPalette black;
    black.setColor(QPalette::Window, Qt::black);
    control<QWidget>("Panel1")->setPalette(black);
    control<QWidget>("ytpanel")->setPalette(black);
    QPalette grey = control<QWidget>("Panel3")->palette();
    grey.setColor(QPalette::Window, palette().color(QPalette::Button)); // not the display's black
    control<QWidget>("Panel3")->setPalette(grey);
    picture_ = new SisexPicture(control<QWidget>("Panel1"));
    picture_->lower();
    strip_ = new SisexStrip(control<QWidget>("ytpanel"));
    strip_->setGeometry(0, 0, sisex::kStripWidth, kSisexStripHeight);
    std::vector<int> widths(sisexStatusWidths().begin(), sisexStatusWidths().end());
    statusBar_ = new StatusPanelsBar(widths, this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setFont(sansFont(11)); // "WHT: 9999.999 ms" fits its 100 pixels
    statsList_ = control<QListWidget>("lb1");
    QPalette listBg = statsList_->palette();
    listBg.setColor(QPalette::Base, QColor(0xEE, 0xEE, 0xEE));
    statsList_->setPalette(listBg);
    statsList_->setContextMenuPolicy(Qt::CustomContextMenu);
    control<QWidget>("Panel3")->hide();
    control<QWidget>("Panel2")->hide();

    redrawSoon_.setSingleShot(true);
    redrawSoon_.setInterval(0);
    connect(&redrawSoon_, &QTimer::timeout, this, [this] {
        if (isVisible()) redraw();
    });

    connectControls();
    // The window sees every key first, whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    setTallLayout(true);
    move(settings_.sisexLeft, settings_.sisexTop);
    refresh();
}

template <typename T>
T* Tfosis::control(const char* name) const
{
    return findChild<T*>(QString::fromLatin1(name));
}

void Tfosis::connectControls()
{
    auto button = [this](const char* name) { return control<QAbstractButton>(name); };
    auto slider = [this](const char* name) { return control<QSlider>(name); };
    // Each action, then the state shown back on the controls.
    auto after = [this](auto action) {
        return [this, action] {
            action();
            refresh();
        };
    };
    auto after1 = [this](auto action) {
        return [this, action](auto value) {
            action(value);
            refresh();
        };
    };
    connect(button("sblive"), &QAbstractButton::clicked, this, after1([this](bool d) { explorer_.sbliveClick(d); }));
    connect(button("sbslow1"), &QAbstractButton::clicked, this, after1([this](bool d) { explorer_.sbslow1Click(d); }));
    connect(button("sbsq"), &QAbstractButton::clicked, this, after1([this](bool d) { explorer_.setPatternDown(d); }));
    connect(button("sbopen"), &QAbstractButton::clicked, this, after([this] {
                control<QWidget>("TrackBar1")->setFocus();
                explorer_.sbopenClick();
            }));
    connect(button("sbdisk"), &QAbstractButton::clicked, this, after([this] { explorer_.sbdiskClick(); }));
    connect(button("sbclear"), &QAbstractButton::clicked, this, after([this] { explorer_.sbclearClick(); }));
    connect(slider("TrackBar1"), &QSlider::valueChanged, this, after1([this](int v) { explorer_.setPosition(v); }));
    connect(slider("TrackBar2"), &QSlider::valueChanged, this, after1([this](int v) { explorer_.setContrast(v); }));
    connect(slider("TrackBar3"), &QSlider::valueChanged, this, after1([this](int v) { explorer_.setSquelch(v); }));
    connect(slider("TrackBar4"), &QSlider::valueChanged, this,
            after1([this](int v) { explorer_.setYtSpanPosition(v); }));
    for (int k = 0; k < sisex::kPageCount; ++k)
        connect(findChild<QAbstractButton*>(QStringLiteral("bu%1").arg(k * 5)), &QAbstractButton::clicked, this,
                after([this, k] {
                    control<QWidget>("TrackBar1")->setFocus();
                    explorer_.jumpClick(k);
                }));

    // The statistics panel and its pop-up menu.
    connect(button("Run"), &QAbstractButton::clicked, this, after([this] { explorer_.runAnalysis(); }));
    connect(button("Sort"), &QAbstractButton::clicked, this, after([this] { explorer_.sortClick(); }));
    connect(button("Save"), &QAbstractButton::clicked, this, after([this] { explorer_.saveStatistics(); }));
    connect(button("Close"), &QAbstractButton::clicked, this, after([this] { explorer_.closeStatisticsPanel(); }));
    connect(statsList_, &QListWidget::itemClicked, this, after([this] { explorer_.closeStatisticsPanel(); }));
    connect(statsList_, &QWidget::customContextMenuRequested, this, &Tfosis::showStatisticsMenu);

    // The directory panel: a plain folder chooser.
    auto* list = control<QListWidget>("dlb1");
    connect(list, &QListWidget::itemClicked, this, after1([this](QListWidgetItem* item) {
                const QString dir = QDir::cleanPath(QDir(text(explorer_.directoryListDir())).filePath(item->text()));
                explorer_.directoryChosen(dir.toStdString());
                fillDirectoryList();
            }));
    connect(button("OK"), &QAbstractButton::clicked, this, after([this] { explorer_.directoryOk(); }));
    connect(button("Cancel"), &QAbstractButton::clicked, this, after([this] { explorer_.directoryCancel(); }));
    connect(button("New"), &QAbstractButton::clicked, this, after([this] {
                auto* edit = control<QLineEdit>("eddir");
                const std::string name = edit->text().toStdString();
                if (name.empty()) return;
                edit->clear();
                explorer_.newFolderClick(name);
                fillDirectoryList();
            }));

    picture_->onMove = [this](int x, int y) {
        explorer_.mouseMove(x, y);
        refresh();
    };
    picture_->onPress = [this](sisex::MouseButton b, int x, int y) {
        if (b == sisex::MouseButton::Middle) control<QWidget>("TrackBar1")->setFocus();
        explorer_.mouseDown(b, x, y);
        refresh();
    };
    strip_->onPress = [this](sisex::MouseButton b, int x) {
        explorer_.stripMouseDown(b, x);
        refresh();
    };
}

void Tfosis::showStatisticsMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Start"), this, [this] { explorer_.runAnalysis(); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Re-Sort"), this, [this] { explorer_.sortClick(); });
    menu.addAction(QStringLiteral("Save file"), this, [this] { explorer_.saveStatistics(); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Close"), this, [this] { explorer_.closeStatisticsPanel(); });
    menu.exec(statsList_->mapToGlobal(at));
    refresh();
}

void Tfosis::fillDirectoryList()
{
    auto* list = control<QListWidget>("dlb1");
    const QString dir = text(explorer_.directoryListDir());
    control<QLabel>("dcb1")->setText(dir);
    list->clear();
    list->addItem(QStringLiteral(".."));
    for (const QString& sub : QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) list->addItem(sub);
}

void Tfosis::openFromMainWindow()
{
    hiddenWithMain_ = false;
    explorer_.openFromMainWindow();
    refresh();
    show();
    raise();
    redraw();
}

void Tfosis::hideFromMainWindow()
{
    explorer_.hideWindow();
    hide();
}

void Tfosis::hideWithMainWindow()
{
    if (!explorer_.visible()) return;
    hiddenWithMain_ = true;
    explorer_.hideWindow();
    hide();
}

void Tfosis::showWithMainWindow()
{
    if (!hiddenWithMain_) return;
    hiddenWithMain_ = false;
    explorer_.showAgain();
    show();
    redraw();
}

void Tfosis::requestRedraw()
{
    if (explorer_.visible() && !redrawSoon_.isActive()) redrawSoon_.start();
}

bool Tfosis::askYesNo(const std::string& question, const std::string& caption)
{
    if (ask) return ask(question);
    return QMessageBox::question(this, text(caption), text(question), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void Tfosis::errorBox(const std::string& message)
{
    if (error) {
        error(message);
        return;
    }
    QMessageBox::critical(this, QStringLiteral("varnock"), text(message));
}

void Tfosis::redraw()
{
    picture_->draw(explorer_.pictureState());
    strip_->draw(explorer_.stripState());
    refresh();
}

void Tfosis::repaintNow()
{
    for (int i = 0; i < sisex::kStatusPanels; ++i) statusBar_->setPanelText(i, text(explorer_.status(i)));
    statusBar_->repaint();
}

void Tfosis::refresh()
{
    setWindowTitle(text(explorer_.caption()));
    setCheckedQuietly(control<QAbstractButton>("sblive"), explorer_.live());
    setCheckedQuietly(control<QAbstractButton>("sbslow1"), explorer_.zoom());
    auto* sq = control<QAbstractButton>("sbsq");
    setCheckedQuietly(sq, explorer_.patternDown());
    sq->setText(text(explorer_.patternCaption()));
    setValueQuietly(control<QSlider>("TrackBar1"), explorer_.position());
    setValueQuietly(control<QSlider>("TrackBar2"), explorer_.contrast());
    setValueQuietly(control<QSlider>("TrackBar3"), explorer_.squelch());
    setValueQuietly(control<QSlider>("TrackBar4"), explorer_.ytSpanPosition());
    control<QLabel>("Label3")->setText(QString::number(explorer_.contrast()));
    control<QLabel>("Label4")->setText(QString::number(explorer_.squelch()));
    const std::array<int, 4> span = sisex::spanLabels(explorer_.ytSpanPosition());
    for (int i = 0; i < 4; ++i)
        control<QLabel>(("LabelSpan" + std::to_string(i)).c_str())->setText(QString::number(span[size_t(i)]));
    control<QLabel>("Label13")->setText(text(explorer_.modeALabel()));
    control<QLabel>("Label14")->setText(text(explorer_.modeCLabel()));

    const sisex::PageRing& ring = explorer_.ring();
    for (int k = 0; k < sisex::kPageCount; ++k) {
        auto* b = findChild<QAbstractButton*>(QStringLiteral("bu%1").arg(k * 5));
        b->setEnabled(ring.button(k).enabled);
        if (b->font().bold() != ring.button(k).bold) {
            QFont f = b->font();
            f.setBold(ring.button(k).bold);
            b->setFont(f);
        }
    }
    for (int i = 0; i < sisex::kStatusPanels; ++i) statusBar_->setPanelText(i, text(explorer_.status(i)));

    auto* stats = control<QWidget>("Panel3");
    if (explorer_.statisticsVisible()) {
        const std::vector<std::string>& lines = explorer_.statistics().lines();
        bool same = statsList_->count() == int(lines.size());
        for (int i = 0; same && i < statsList_->count(); ++i) same = statsList_->item(i)->text() == text(lines[size_t(i)]);
        if (!same) {
            statsList_->clear();
            for (const std::string& l : lines) statsList_->addItem(text(l));
        }
        if (!stats->isVisible()) {
            stats->show();
            stats->raise();
        }
    } else {
        stats->hide();
    }
    auto* dirs = control<QWidget>("Panel2");
    if (explorer_.directoryPanelVisible() != dirs->isVisible()) {
        dirs->setVisible(explorer_.directoryPanelVisible());
        if (dirs->isVisible()) dirs->raise();
    }
}

void Tfosis::setTallLayout(bool tall)
{
    tall_ = tall;
    const int strip = tall ? kSisexStripHeight : 0;
    control<QWidget>("ytpanel")->setFixedHeight(tall ? kSisexStripHeight + 1 : 0);
    strip_->setFixedHeight(strip);
    control<QWidget>("LabelYSpan")->setVisible(tall);
    statusBar_->setGeometry(0, (tall ? kSisexTallHeight : kSisexShortHeight) - 23, kSisexWidth, 23);
    setFixedSize(kSisexWidth, tall ? kSisexTallHeight : kSisexShortHeight);
    strip_->draw(explorer_.stripState());
}

bool Tfosis::handleKey(int key, Qt::KeyboardModifiers /*main row and keypad alike*/)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_7) {
        explorer_.digitKey(key - Qt::Key_0);
        refresh();
        return true;
    }
    switch (key) {
    case Qt::Key_PageUp: explorer_.pageUp(); break;
    case Qt::Key_PageDown: explorer_.pageDown(); break;
    case Qt::Key_Left: explorer_.setContrast(explorer_.contrast() - 1); break;
    case Qt::Key_Right: explorer_.setContrast(explorer_.contrast() + 1); break;
    case Qt::Key_Up: explorer_.setSquelch(explorer_.squelch() - 1); break;
    case Qt::Key_Down: explorer_.setSquelch(explorer_.squelch() + 1); break;
    case Qt::Key_F2: setTallLayout(true); break;
    case Qt::Key_F3: setTallLayout(false); break;
    default: return false;
    }
    refresh();
    return true;
}

QString Tfosis::screenshot(sisex::MouseButton button)
{
    if (button == sisex::MouseButton::Middle) return {};
    const bool jpeg = button == sisex::MouseButton::Right;
    const QString path = text(explorer_.screenshotPath(jpeg ? ".jpg" : ".bmp"));
    const QImage shot = grab().toImage();
    const bool ok = shot.save(path, jpeg ? "JPG" : "BMP");
    explorer_.screenshotSaved(jpeg);
    refresh();
    if (!ok) errorBox("Cannot write " + path.toStdString());
    return ok ? path : QString();
}

bool Tfosis::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (watched->objectName() == QLatin1String("eddir")) return false;
        return handleKey(k->key(), k->modifiers());
    }
    if (e->type() != QEvent::MouseButtonPress) return false;
    const auto* m = static_cast<QMouseEvent*>(e);
    const QString name = watched->objectName();
    sisex::MouseButton b;
    if (!explorerButton(m->button(), b)) return false;
    if (name == QLatin1String("sbscreen")) {
        screenshot(b);
        return true;
    }
    if (b != sisex::MouseButton::Right) return false;
    if (name == QLatin1String("sbslow1")) {
        explorer_.showStatisticsPanel();
        refresh();
        control<QWidget>("Run")->setFocus();
        return true;
    }
    if (name == QLatin1String("sbopen") || name == QLatin1String("sbdisk")) {
        explorer_.openDirectoryPanel();
        fillDirectoryList();
        refresh();
        return true;
    }
    return false;
}

void Tfosis::closeEvent(QCloseEvent* e)
{
    explorer_.closeWindow();
    refresh();
    e->accept();
    if (onClosed) onClosed();
}

void Tfosis::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    settings_.sisexLeft = x();
    settings_.sisexTop = y();
}

} // namespace varnock
