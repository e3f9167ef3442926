// The main window's controls: one row per control; the builder gives each kind its look.
#include "gui/main_window_layout.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "gui/color_button.h"
#include "gui/colour.h"
#include "gui/fonts.h"
#include "gui/led_indicator.h"
#include "gui/status_panels.h"

namespace varnock {

namespace {

using K = MainWindowRow::Kind;

constexpr uint32_t kPacketRate = 16749092, kViolet = 16711808, kYellow = 65535, kPink = 16744703,
                   kLime = 65280;

constexpr MainWindowRow kRows[] = {
    {"Panel1", K::Panel, nullptr, 7, 10, 364, 61, "", ""},
    {"Label1", K::Digit, "Panel1", 5, 5, 32, 46, "0", ""},
    {"Label2", K::Digit, "Panel1", 35, 5, 32, 46, "0", ""},
    {"Label3", K::Digit, "Panel1", 65, 5, 32, 46, "0", ""},
    {"Label4", K::Digit, "Panel1", 95, 5, 32, 46, "0", ""},
    {"Label24", K::Digit, "Panel1", 123, 6, 24, 46, ".", ""},
    {"Label5", K::Digit, "Panel1", 145, 5, 32, 46, "0", ""},
    {"Label6", K::Digit, "Panel1", 175, 5, 32, 46, "0", ""},
    {"Label7", K::Digit, "Panel1", 205, 5, 32, 46, "0", ""},
    {"Label8", K::Digit, "Panel1", 255, 5, 32, 46, "M", ""},
    {"Label9", K::Digit, "Panel1", 285, 5, 32, 46, "H", ""},
    {"Label10", K::Digit, "Panel1", 315, 5, 32, 46, "z", ""},
    {"sbsr256", K::Hidden, nullptr, 10, 15, 32, 20, "256", ""},
    {"sbsr512", K::Hidden, nullptr, 45, 15, 32, 20, "512", ""},

    {"GroupBox3", K::Group, nullptr, 5, 75, 366, 46, " Automatic/Manual gain  ", ""},
    {"butuneragc", K::Latch, "GroupBox3", 6, 17, 70, 22, "Tuner AGC", ""},
    {"tbgain", K::TrackBar, "GroupBox3", 80, 17, 120, 24, "", ""},
    {"cbgain", K::Combo, "GroupBox3", 204, 17, 88, 22, "", ""},
    {"burtlagc", K::Latch, "GroupBox3", 296, 17, 64, 22, "RTL AGC", ""},

    {"GroupBox7", K::Group, nullptr, 5, 121, 131, 50, " Mode ", ""},
    {"sbmodes", K::Latch, "GroupBox7", 6, 20, 58, 22, "MODE-S", ""},
    {"sbmodeac", K::Latch, "GroupBox7", 67, 20, 58, 22, "MODE-AC", ""},

    {"sblist", K::Latch, nullptr, 141, 126, 52, 18, "List", "Enable/disable packet display on list"},
    {"BitBtn4", K::Button, nullptr, 198, 126, 52, 18, "Max/Min", "Start max/min freq test"},
    {"sbudpout", K::Latch, nullptr, 141, 150, 52, 18, "Send UDP", "Send UDP packets to other VARNOCK"},
    {"sbudp", K::Button, nullptr, 198, 150, 52, 18, "Config", "Configuration dialog"},
    {"sbhelp", K::Help, nullptr, 259, 130, 32, 36, "", "Goto HELP page on internet"},
    {"ColorButton1", K::Colour, nullptr, 310, 128, 65, 41, "START", "Start/Stop device"},

    {"Bevel1", K::Bevel, nullptr, 5, 175, 375, 318, "", ""},
    {"memo1", K::List, nullptr, 12, 176, 371, 315, "", ""},

    {"ALed1", K::Led, nullptr, 15, 500, 22, 14, "", "Packet rate", kPacketRate, false},
    {"ALed2", K::Led, nullptr, 40, 500, 22, 14, "", "Packet rate", kPacketRate, false},
    {"ALed3", K::Led, nullptr, 65, 500, 22, 14, "", "Packet rate", kPacketRate, false},
    {"ALed4", K::Led, nullptr, 90, 500, 22, 14, "", "Packet rate", kPacketRate, false},
    {"ALed5", K::Led, nullptr, 115, 500, 22, 14, "", "Packet rate", kPacketRate, false},
    {"ALed7", K::Led, nullptr, 140, 500, 22, 14, "", "Packet rate", kViolet, true},
    {"sbsisex", K::Latch, nullptr, 185, 498, 76, 21, "SISEX>>", "Signals-in-space explorer"},
    {"ALed8", K::Led, nullptr, 275, 500, 22, 14, "", "Receiving/sending UDP traffic", kYellow, false},
    {"ALed9", K::Led, nullptr, 300, 500, 22, 14, "", "TCP client connected to port 310x4 (30003 style)", kPink, false},
    {"ALed6", K::Led, nullptr, 325, 500, 22, 14, "", "TCP client connected to port 310x1", kLime, false},
    {"ALed10", K::Led, nullptr, 350, 500, 22, 14, "", "Request to HTTP server at port 310x8", kViolet, false},

    {"StatusBar1", K::StatusBar, nullptr, 0, kClientHeight - 23, kClientWidth, 23, "", ""},
};

constexpr int kStatusWidths[] = {50, 60, 92, 95, 50};

constexpr uint32_t kCream = 15793151, kGrey = 8421504, kBlue = 16711680, kListBackground = 2434341;

void setColours(QWidget* w, QPalette::ColorRole bgRole, const QColor& bg, QPalette::ColorRole fgRole, const QColor& fg)
{
    QPalette pal = w->palette();
    pal.setColor(bgRole, bg);
    pal.setColor(fgRole, fg);
    w->setPalette(pal);
}

QWidget* make(const MainWindowRow& row, QWidget* parent, const std::function<QWidget*(QWidget*)>& makeList)
{
    const QString caption = QString::fromLatin1(row.caption);
    switch (row.kind) {
    case K::Panel: {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        f->setLineWidth(4);
        f->setAutoFillBackground(true);
        setColours(f, QPalette::Window, colourOf(kGrey), QPalette::WindowText, colourOf(kCream));
        return f;
    }
    case K::Digit: {
        auto* l = new QLabel(caption, parent);
        const bool point = caption == QLatin1String(".");
        l->setFont(ocrFont(43, 0, point));
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setAttribute(Qt::WA_TranslucentBackground);
        setColours(l, QPalette::Window, Qt::transparent, QPalette::WindowText, colourOf(kLime));
        return l;
    }
    case K::Label: return new QLabel(caption, parent);
    case K::Group: return new QGroupBox(caption, parent);
    case K::Latch:
    case K::Button:
    case K::Hidden: {
        auto* b = new QPushButton(caption, parent);
        b->setCheckable(row.kind == K::Latch);
        b->setFocusPolicy(Qt::NoFocus);
        if (row.kind == K::Hidden) b->hide();
        return b;
    }
    case K::Help: {
        auto* b = new QPushButton(QStringLiteral("?"), parent);
        b->setFont(sansFont(22, true));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    }
    case K::Colour: {
        auto* b = new ColorButton(parent);
        b->setText(caption);
        b->setFont(sansFont(16, true));
        b->setFaceColour(kYellow);
        b->setTextColour(kBlue);
        return b;
    }
    case K::Bevel: {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::Box | QFrame::Raised);
        f->setLineWidth(1);
        return f;
    }
    case K::List: {
        QWidget* w = makeList ? makeList(parent) : new QWidget(parent);
        w->setAutoFillBackground(true);
        w->setFont(monoFont(11));
        setColours(w, QPalette::Window, colourOf(kListBackground), QPalette::WindowText, colourOf(kLime));
        setColours(w, QPalette::Base, colourOf(kListBackground), QPalette::Text, colourOf(kLime));
        w->setFocusPolicy(Qt::NoFocus);
        return w;
    }
    case K::Led: {
        auto* led = new TALed(parent);
        led->setStyle(TALed::Style::HorizontalBar);
        led->setOnColour(row.colour);
        led->setBlink(row.blink, 1000);
        return led;
    }
    case K::TrackBar: {
        auto* s = new QSlider(Qt::Horizontal, parent);
        s->setRange(1, 1);
        s->setPageStep(1);
        s->setFocusPolicy(Qt::NoFocus);
        return s;
    }
    case K::Combo: {
        auto* c = new QComboBox(parent);
        c->setFocusPolicy(Qt::NoFocus);
        return c;
    }
    case K::StatusBar: {
        auto* s = new StatusPanelsBar(std::vector<int>(std::begin(kStatusWidths), std::end(kStatusWidths)), parent);
        s->setFont(sansFont(11));
        return s;
    }
    }
    return new QWidget(parent);
}

} // namespace

std::span<const MainWindowRow> mainWindowRows() { return kRows; }

std::span<const int> statusPanelWidths() { return kStatusWidths; }

void buildMainWindowControls(QWidget* form, const std::function<QWidget*(QWidget* parent)>& makeList)
{
    for (const MainWindowRow& row : kRows) {
        QWidget* parent = form;
        if (row.parent != nullptr) {
            parent = form->findChild<QWidget*>(QString::fromLatin1(row.parent));
            if (parent == nullptr) parent = form;
        }
        QWidget* w = make(row, parent, makeList);
        w->setObjectName(QString::fromLatin1(row.name));
        w->setGeometry(row.x, row.y, row.w, row.h);
        if (row.hint[0] != '\0') {
            w->setToolTip(QString::fromLatin1(row.hint));
            w->setToolTipDuration(3000);
        }
    }
    // The list lies over its frame; the frame under everything else.
    if (auto* bevel = form->findChild<QWidget*>(QStringLiteral("Bevel1"))) bevel->lower();
}

} // namespace varnock
