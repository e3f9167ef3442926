// The explorer window's controls: one row per control; the builder gives each kind its look.
#include "gui/sisex_window_layout.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include "gui/fonts.h"
#include "sisex/page_ring.h"

namespace varnock {

namespace {

using K = SisexRow::Kind;

constexpr SisexRow kRows[] = {
    {"Panel1", K::Frame, nullptr, 0, 2, 1000, 512, "", ""},
    {"ytpanel", K::Frame, nullptr, 0, 515, 1006, 101, "", ""},
    {"sblive", K::Latch, nullptr, 1010, 10, 66, 31, "LIVE", "Start/stop live stream"},
    {"sbsq", K::Latch, nullptr, 1085, 10, 31, 31, "0000", "Show Mode A pattern on screen"},
    {"sbslow1", K::Latch, nullptr, 1125, 10, 31, 31, "Z", "LEFT: Zoom display // RIGHT: statistics"},
    {"TrackBar1", K::Track, nullptr, 1010, 55, 45, 431, "", "Position page", 0, 28, 1},
    {"LabelJump", K::Label, nullptr, 1060, 259, 0, 0, "Jump to page (sec)", ""},
    {"LabelContrast", K::Label, nullptr, 1060, 285, 0, 0, "Contrast", ""},
    {"LabelSquelch", K::Label, nullptr, 1120, 285, 0, 0, "Squelch", ""},
    {"TrackBar2", K::Track, nullptr, 1060, 300, 45, 146, "", "Set contrast", 1, 30, 4},
    {"TrackBar3", K::Track, nullptr, 1115, 300, 45, 146, "", "Set squelch", 0, 255, 15},
    {"Label3", K::Label, nullptr, 1063, 445, 40, 14, "4", ""},
    {"Label4", K::Label, nullptr, 1115, 445, 40, 14, "12", ""},
    {"sbopen", K::Button, nullptr, 1060, 470, 31, 31, "", "LEFT: open raw log // RIGHT: select dir "},
    {"sbdisk", K::Button, nullptr, 1095, 470, 31, 31, "", "Save current as raw log file *.biw"},
    {"sbscreen", K::Button, nullptr, 1130, 470, 31, 31, "", "LEFT: Screenshot to  BMP // RIGHT: JPG"},
    {"LabelPage", K::Label, nullptr, 1010, 489, 0, 0, "Page", ""},
    {"LabelSpan0", K::Label, nullptr, 1010, 510, 24, 14, "256", ""},
    {"LabelSpan1", K::Label, nullptr, 1010, 535, 24, 14, "192", ""},
    {"LabelSpan2", K::Label, nullptr, 1010, 558, 24, 14, "128", ""},
    {"LabelSpan3", K::Label, nullptr, 1010, 581, 24, 14, "64", ""},
    {"LabelSpan4", K::Label, nullptr, 1010, 606, 24, 14, "0", ""},
    {"LabelYSpan", K::Label, nullptr, 1040, 530, 0, 0, "Y span", ""},
    {"TrackBar4", K::Track, nullptr, 1035, 550, 31, 66, "", "", 5, 8, 1},
    {"sbclear", K::Button, nullptr, 1075, 540, 26, 26, "C", "Clear markers"},
    {"Label13", K::Label, nullptr, 1075, 575, 81, 14, "", ""},
    {"Label14", K::Label, nullptr, 1075, 590, 81, 14, "", ""},
    {"Panel3", K::Frame, "Panel1", 490, 0, 506, 511, "", ""},
    {"lb1", K::List, "Panel3", 1, 1, 504, 460, "", ""},
    {"Close", K::Button, "Panel3", 66, 475, 75, 21, "Close", ""},
    {"Save", K::Button, "Panel3", 161, 475, 75, 21, "Save", ""},
    {"Run", K::Button, "Panel3", 276, 475, 75, 21, "Run", ""},
    {"Sort", K::Button, "Panel3", 366, 475, 75, 21, "Sort", ""},
    {"Panel2", K::Frame, nullptr, 1005, 2, 156, 514, "", ""},
    {"dcb1", K::Label, "Panel2", 2, 1, 150, 19, "", ""},
    {"dlb1", K::List, "Panel2", 2, 22, 150, 414, "", ""},
    {"OK", K::Button, "Panel2", 26, 445, 50, 21, "OK", ""},
    {"Cancel", K::Button, "Panel2", 86, 445, 50, 21, "Cancel", ""},
    {"eddir", K::Edit, "Panel2", 10, 480, 106, 21, "", ""},
    {"New", K::Button, "Panel2", 123, 480, 26, 21, "New", "Create new subfolder"},
};

constexpr int kStatusWidths[] = {250, 100, 100, 140, 140, 140, 135, 50};

QWidget* makeRow(const SisexRow& r, QWidget* parent)
{
    const QString caption = QString::fromLatin1(r.caption);
    QWidget* w = nullptr;
    switch (r.kind) {
    case K::Frame: {
        auto* f = new QFrame(parent);
        f->setFrameShape(QFrame::Panel);
        f->setFrameShadow(QFrame::Raised);
        f->setAutoFillBackground(true);
        w = f;
        break;
    }
    case K::Latch:
    case K::Button: {
        auto* b = new QToolButton(parent);
        b->setText(caption);
        b->setCheckable(r.kind == K::Latch);
        b->setFocusPolicy(Qt::NoFocus);
        w = b;
        break;
    }
    case K::Label: {
        auto* l = new QLabel(caption, parent);
        l->setFont(sansFont(11));
        if (r.w == 0) l->adjustSize();
        w = l;
        break;
    }
    case K::Track: {
        auto* s = new QSlider(Qt::Vertical, parent);
        s->setRange(r.lo, r.hi);
        s->setTickInterval(r.tick);
        s->setTickPosition(QSlider::TicksBothSides);
        s->setInvertedAppearance(true); // the minimum at the top
        s->setInvertedControls(true);
        w = s;
        break;
    }
    case K::List: {
        auto* l = new QListWidget(parent);
        l->setFont(monoFont(12));
        w = l;
        break;
    }
    case K::Edit:
        w = new QLineEdit(parent);
        break;
    }
    w->setObjectName(QString::fromLatin1(r.name));
    if (r.w > 0) w->setGeometry(r.x, r.y, r.w, r.h);
    else w->move(r.x, r.y);
    if (*r.hint != '\0') w->setToolTip(QString::fromLatin1(r.hint));
    return w;
}

} // namespace

std::span<const SisexRow> sisexRows() { return kRows; }
std::span<const int> sisexStatusWidths() { return kStatusWidths; }

void buildSisexControls(QWidget* form)
{
    for (const SisexRow& r : kRows) {
        QWidget* parent = r.parent == nullptr ? form : form->findChild<QWidget*>(QString::fromLatin1(r.parent));
        makeRow(r, parent != nullptr ? parent : form);
    }
    // Two columns of ten jump buttons, 0.5 s apart.
    for (int k = 0; k < sisex::kPageCount; ++k) {
        auto* b = new QPushButton(QString::fromLatin1(sisex::jumpCaption(k)), form);
        b->setObjectName(QStringLiteral("bu%1").arg(k * 5));
        b->setGeometry(k < 10 ? 1065 : 1110, 55 + 20 * (k % 10), 40, 18);
        b->setToolTip(QStringLiteral("Jump to sec"));
        b->setFont(sansFont(11));
        b->setFocusPolicy(Qt::NoFocus);
        b->setEnabled(false);
    }
    auto* style = form->style();
    const struct {
        const char* name;
        QStyle::StandardPixmap icon;
    } icons[] = {{"sbopen", QStyle::SP_DialogOpenButton},
                 {"sbdisk", QStyle::SP_DialogSaveButton},
                 {"sbscreen", QStyle::SP_DesktopIcon},
                 {"sblive", QStyle::SP_MediaPlay}};
    for (const auto& i : icons)
        if (auto* b = form->findChild<QToolButton*>(QString::fromLatin1(i.name)))
            b->setIcon(style->standardIcon(i.icon));
    if (auto* live = form->findChild<QToolButton*>(QStringLiteral("sblive")))
        live->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

} // namespace varnock
