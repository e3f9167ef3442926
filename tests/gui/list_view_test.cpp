// The list widget: colours of the drawing rules at their character cells, the "#" rule, clicks on
// the list and its header, scrolling and the cached picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "flights/list_lines.h"
#include "gui/list_painter.h"
#include "gui/list_view.h"
#include "gui_test_support.h"

using namespace varnock;

namespace {

constexpr int kItem = ListPainter::kItemHeight;
constexpr int kCell = ListPainter::kCharWidth;

QRgb rgb(uint32_t v) { return qRgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }

// One letter per colour the rules use; '.' for a cell without ink, '?' for anything else.
char nameOf(QRgb c)
{
    struct Named {
        QRgb colour;
        char name;
    };
    const Named names[] = {{rgb(65280), 'L'},     {rgb(12632256), 'S'}, {qRgb(255, 255, 255), 'W'},
                           {rgb(255), 'R'},       {rgb(16776960), 'C'}, {rgb(29928), 'O'},
                           {rgb(65535), 'Y'},     {rgb(28895), 'A'},    {rgb(16744703), 'P'},
                           {qRgb(168, 168, 168), 'G'}};
    for (const Named& n : names)
        if (n.colour == c) return n.name;
    return '?';
}

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The ink colour of character cell k on item row `row`: the pixel farthest from the cell's paper.
char inkAt(const QImage& img, int row, int k)
{
    const int y0 = row * kItem, x0 = k * kCell;
    const QRgb paper = img.pixel(x0, y0 + 4);
    QRgb best = paper;
    for (int y = y0; y < y0 + ListPainter::kTextHeight - 1; ++y)
        for (int x = x0; x < x0 + kCell && x < img.width(); ++x)
            if (distance(img.pixel(x, y), paper) > distance(best, paper)) best = img.pixel(x, y);
    return best == paper ? '.' : nameOf(best);
}

std::string inksOfRow(const QImage& img, int row, int cells)
{
    std::string s;
    for (int k = 0; k < cells; ++k) s += inkAt(img, row, k);
    return s;
}

std::string rep(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

struct ListViewTest : ::testing::Test {
    VirtualClock clock;
    NullLineSink lines;
    std::unique_ptr<Receiver> rx;
    std::unique_ptr<ListView> view;

    void SetUp() override
    {
        test::guiApp();
        rx = std::make_unique<Receiver>(clock, lines);
        rx->controls.sblist = false; // the aircraft view
        view = std::make_unique<ListView>(*rx);
        view->resize(ListView::kWidth, ListView::kHeight);
    }

    ListModel& list() { return rx->list; }

    TFlight& record(int i)
    {
        TFlight& r = rx->table[i];
        r.inuse = 1;
        r.timeout = 30;
        return r;
    }

    const QImage& picture()
    {
        view->refresh();
        return view->picture();
    }

    void press(int x, int y, Qt::KeyboardModifiers mods, Qt::MouseButton button = Qt::LeftButton)
    {
        QWidget* vp = view->viewport();
        QMouseEvent ev(QEvent::MouseButtonPress, QPointF(x, y), vp->mapToGlobal(QPointF(x, y)), button, button,
                       mods);
        QApplication::sendEvent(vp, &ev);
    }
};

// Letters with upright strokes, so every cell has pixels of the full text colour.
const std::string kHeader = "HIEH   H/H      HLT..MHP V/S HS  TT  SSR  H*456^";

TEST_F(ListViewTest, HeaderIsASilverBarBlueWhileRunningAndRedWhileFrozen)
{
    list().add(kHeader);
    list().add(rep('H', 20), 1);
    record(1);
    const QImage& img = picture();
    // The bar spans the list's width, one pixel higher than the item: its last two rows are paper.
    for (int x : {0, 200, ListView::kWidth - 1}) EXPECT_EQ(img.pixel(x, 0), qRgb(0, 0, 106)) << x;
    EXPECT_EQ(img.pixel(200, ListPainter::kTextHeight - 1), ListPainter::background());
    EXPECT_EQ(inksOfRow(img, 0, 8), "SSSS...S");

    press(100, kItem + 3, Qt::NoModifier); // a click on any line freezes
    EXPECT_TRUE(list().listFreeze);
    EXPECT_EQ(picture().pixel(200, 0), qRgb(128, 0, 0));
    press(100, 3, Qt::NoModifier);
    EXPECT_FALSE(list().listFreeze);
    EXPECT_EQ(picture().pixel(200, 0), qRgb(0, 0, 106));

    // Packet display: every line lime on the paper, the header too.
    rx->controls.sblist = true;
    const QImage& plain = picture();
    EXPECT_EQ(plain.pixel(200, 0), ListPainter::background());
    EXPECT_EQ(inksOfRow(plain, 0, 8), "LLLL...L");
}

TEST_F(ListViewTest, AircraftLinesTakeTheirRecordsColours)
{
    const std::string line = rep('H', 60);
    list().add(kHeader);
    auto addLine = [&](int rec) {
        list().add(line, rec);
        return &record(rec);
    };
    addLine(1)->timeout = 10;       // fading: grey 108 + 6 x 10
    addLine(2)->emergency = 2;      // white on red across the list
    addLine(3)->acas = 1;           // red
    addLine(4)->vrate = 1000;       // climbing
    addLine(5)->vrate = -1000;      // descending
    addLine(6)->vrate = 200;        // level enough: lime
    addLine(7)->spi = 1;            // yellow cells 38..41, nothing after 51
    addLine(8)->alert = 1;          // orange cells 38..41
    addLine(9)->icflag = 1;         // pink cells 1..6, nothing after 50
    TFlight* fadingSpi = addLine(10);
    fadingSpi->timeout = 10;
    fadingSpi->spi = 1;
    TFlight* emergencyFading = addLine(11);
    emergencyFading->timeout = 10;
    emergencyFading->emergency = 1; // fading wins: no red bar
    addLine(12)->acas = 0;          // the countdown has run out

    const QImage& img = picture();
    const int cells = 53;
    EXPECT_EQ(inksOfRow(img, 1, cells), rep('G', 53));
    EXPECT_EQ(inksOfRow(img, 2, cells), rep('W', 53));
    EXPECT_EQ(inksOfRow(img, 3, cells), rep('R', 53));
    EXPECT_EQ(inksOfRow(img, 4, cells), rep('C', 53));
    EXPECT_EQ(inksOfRow(img, 5, cells), rep('O', 53));
    EXPECT_EQ(inksOfRow(img, 6, cells), rep('L', 53));
    EXPECT_EQ(inksOfRow(img, 7, cells), rep('L', 37) + "YYYY" + rep('L', 10) + "..");
    EXPECT_EQ(inksOfRow(img, 8, cells), rep('L', 37) + "AAAA" + rep('L', 10) + "..");
    EXPECT_EQ(inksOfRow(img, 9, cells), "PPPPPP" + rep('L', 44) + "...");
    EXPECT_EQ(inksOfRow(img, 10, cells), rep('G', 37) + "YYYY" + rep('G', 10) + "..");
    EXPECT_EQ(inksOfRow(img, 11, cells), rep('G', 53));
    EXPECT_EQ(inksOfRow(img, 12, cells), rep('L', 53));

    // The emergency bar covers the whole width, its last pixel row stays paper; segments keep the paper.
    EXPECT_EQ(img.pixel(ListView::kWidth - 1, 2 * kItem), rgb(255));
    EXPECT_EQ(img.pixel(ListView::kWidth - 1, 2 * kItem + kItem - 1), ListPainter::background());
    EXPECT_EQ(img.pixel(37 * kCell, 7 * kItem), ListPainter::background());
    EXPECT_EQ(img.pixel(0, 9 * kItem), ListPainter::background());
}

TEST_F(ListViewTest, SortKeyBeforeHashIsNotDrawn)
{
    list().add("                 #" + kHeader);
    list().add("AB12#HEH", 1);
    list().add("AB12#", 2);
    list().add("HEH", 3);
    list().add("H#E#H", 4);
    for (int i = 1; i <= 4; ++i) record(i);
    const QImage& img = picture();
    EXPECT_EQ(inksOfRow(img, 0, 6), "SSSS..");
    EXPECT_EQ(img.copy(0, kItem, img.width(), kItem), img.copy(0, 3 * kItem, img.width(), kItem));
    QImage blank(img.width(), kItem, img.format());
    blank.fill(ListPainter::background());
    EXPECT_EQ(img.copy(0, 2 * kItem, img.width(), kItem), blank);
    EXPECT_EQ(inksOfRow(img, 4, 5), "LLL..");
}

TEST_F(ListViewTest, CtrlClickOnTheHeaderRequestsASortByTheColumnUnderIt)
{
    list().add(kHeader);
    list().add(rep('H', 40), 1);
    record(1);
    view->refresh();
    const struct {
        int x, column;
    } cases[] = {{0, 1},   {35, 1},  {36, 0},  {41, 0},  {42, 2},  {91, 2},  {92, 0},  {97, 0},
                 {98, 3},  {168, 3}, {169, 0}, {175, 4}, {196, 4}, {200, 0}, {203, 5}, {217, 5},
                 {220, 0}, {224, 6}, {245, 6}, {250, 0}, {252, 7}, {280, 7}, {281, 0}, {360, 0}};
    for (const auto& c : cases) {
        list().listSortColumn = -1;
        list().listSortRequest = false;
        press(c.x, 5, Qt::ControlModifier);
        EXPECT_EQ(list().listSortColumn, c.column) << "x " << c.x;
        EXPECT_TRUE(list().listSortRequest) << "x " << c.x;
    }

    // Without Ctrl, or on another line, no sort is asked for.
    list().listSortRequest = false;
    press(20, 5, Qt::NoModifier);
    press(20, kItem + 5, Qt::ControlModifier);
    EXPECT_FALSE(list().listSortRequest);
}

TEST_F(ListViewTest, PacketLinesScrollToTheLastLineAndOnlyNewItemsAreDrawn)
{
    rx->controls.sblist = true;
    view->show();
    for (int i = 0; i < 60; ++i) list().WriteLogLine("*8D4840D6202CC371C32CE0576098; [ 12] " + std::to_string(i));
    view->refresh();
    QApplication::processEvents(); // the scroll bar is shown on a queued call
    const int rows = view->viewport()->height() / kItem;
    EXPECT_EQ(view->topIndex(), 60 - rows);
    EXPECT_TRUE(view->verticalScrollBar()->isVisibleTo(view.get()));

    list().WriteLogLine("*5D4840D6A1B2C3; [ 40]");
    view->refresh();
    EXPECT_EQ(view->topIndex(), 61 - rows);
    EXPECT_EQ(view->itemsDrawn(), 2); // the new line and the part row below it; the rest was moved up
    const QImage scrolled = view->picture();
    view->invalidate();
    view->refresh();
    EXPECT_EQ(view->picture(), scrolled);

    // Nothing changed: nothing drawn; scrolling back draws only the rows that came into sight.
    view->refresh();
    view->verticalScrollBar()->setValue(view->topIndex() - 3);
    EXPECT_EQ(view->itemsDrawn(), 3);
    const QImage back = view->picture();
    view->invalidate();
    view->refresh();
    EXPECT_EQ(view->picture(), back);
    view->verticalScrollBar()->setValue(view->topIndex() + 2);
    EXPECT_EQ(view->itemsDrawn(), 2);
    const QImage forth = view->picture();
    view->invalidate();
    view->refresh();
    EXPECT_EQ(view->picture(), forth);
}

TEST_F(ListViewTest, CntrLayoutScrollsSidewaysAndWidensTheBars)
{
    list().add(kHeader);
    view->applyCntrLayout();
    EXPECT_EQ(view->width(), ListView::kCntrWidth);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), ListView::kCntrScrollWidth - view->viewport()->width());
    const QImage& img = picture();
    EXPECT_EQ(img.width(), ListView::kCntrScrollWidth);
    // 860 / 7 + 1 characters of bar.
    EXPECT_EQ(img.pixel(123 * kCell - 1, 2), qRgb(0, 0, 106));
    EXPECT_EQ(img.pixel(123 * kCell, 2), ListPainter::background());
}

TEST(ListPainterTest, AtMost255CharactersAreDrawn)
{
    test::guiApp();
    ListPainter painter;
    ListDrawState plain;
    plain.plainOnly = true;
    QImage img(300 * kCell, kItem, QImage::Format_RGB32);
    painter.draw(img, 0, lineLook(rep('H', 300), 3, nullptr, plain));
    EXPECT_EQ(inksOfRow(img, 0, 257), rep('L', 255) + "..");
}

// Not a check: with VARNOCK_LIST_PNG set, saves a list of varied lines for a person to look at.
TEST_F(ListViewTest, Screenshot)
{
    const char* path = std::getenv("VARNOCK_LIST_PNG");
    if (!path) GTEST_SKIP();
    list().add(kListHeader);
    const char* texts[] = {
        "4840D6 KLM1023  F350=    +10 452 087 1000  *...",
        "3C6586 DLH4AB   F120>140 -12 310 254 2312  *.. ",
        "406B1A EZY81QP  F370     -   480 120 5521  e   ",
        "A1B2C3 N123AB   F045         120 310 7700  *   ",
        "4CA2D1 RYR5TX   F280     + 8 401 190 6001  o.. ",
        "484F1B TRA6123  G---           0 045 1000 G~   ",
        "3944F5 AFR1234  F390         470 250 1000  *...",
        "71BE12 KAL901   F310         455 300 7601  *   ",
        "440123          F200         300 010 4000  *   ",
        "ABC123 UAL99    F330         460 270 1000  *   ",
    };
    int i = 1;
    for (const char* t : texts) list().add(t, i++);
    record(1).vrate = 1000;
    record(2).vrate = -1200;
    record(3).timeout = 8;
    record(4).emergency = 1;
    record(5).spi = 1;
    record(6).alert = 1;
    record(7).icflag = 1;
    record(8).acas = 1;
    record(9).timeout = 2;
    record(10);
    view->refresh();
    QString file = QString::fromUtf8(path);
    EXPECT_TRUE(view->grab().save(file));

    // The packet display, scrolled to its end, with the vertical scroll bar.
    view->show();
    rx->controls.sblist = true;
    for (int n = 0; n < 40; ++n)
        list().WriteLogLine(n % 3 ? "*8D4840D6202CC371C32CE0576098; [ 12]" : "*5D4840D6A1B2C3; [ 40]");
    view->refresh();
    QApplication::processEvents();
    view->refresh();
    file.replace(QStringLiteral(".png"), QStringLiteral("-packets.png"));
    EXPECT_TRUE(view->grab().save(file));
}

} // namespace
