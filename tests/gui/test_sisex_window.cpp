// The explorer window over the engine: "SISEX>>", live pages from the tick, jump buttons, drawing, settings.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>

#include <fstream>

#include "app/engine.h"
#include "app/explorer_host.h"
#include "gui/explorer_link.h"
#include "gui/sisex_picture.h"
#include "gui/sisex_strip.h"
#include "gui/sisex_window.h"
#include "gui/status_panels.h"
#include "main_window_fixture.h"
#include "synth/test_buffer.h"

namespace varnock::test {
namespace {

class SisexWindowTest : public MainWindowFixture {
protected:
    void makeAll()
    {
        make();
        sisex = std::make_unique<Tfosis>(program->engine().explorer(), program->settings());
        sisex->ask = [this](const std::string& q) {
            questions.push_back(q);
            return answerYes;
        };
        sisex->error = [this](const std::string& e) { errors.push_back(e); };
        program->engine().explorerHost().setUi(sisex.get());
        linkExplorerWindow(*window, *sisex);
        window->show();
    }

    void dropAll()
    {
        if (program) program->engine().explorerHost().setUi(nullptr);
        sisex.reset();
        if (program) program->finish(0);
        view.reset();
        window.reset();
        program.reset();
    }

    void TearDown() override
    {
        dropAll();
        MainWindowFixture::TearDown();
    }

    sisex::Explorer& explorer() { return program->engine().explorer(); }
    template <typename T = QWidget>
    T* x(const char* name) const
    {
        T* found = sisex->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString panel(int i) const { return sisex->findChild<StatusPanelsBar*>(QStringLiteral("StatusBar1"))->panelText(i); }

    // One buffer through the processing tick, as the hand-off runs it.
    void tick(const std::vector<uint8_t>& iq) { program->engine().receiver().audiotimerTimer(iq.data()); }

    // Per jump button: enabled, bold.
    std::vector<std::pair<bool, bool>> jumpButtons() const
    {
        std::vector<std::pair<bool, bool>> out;
        for (int k = 0; k < sisex::kPageCount; ++k) {
            auto* b = sisex->findChild<QAbstractButton*>(QStringLiteral("bu%1").arg(k * 5));
            out.emplace_back(b->isEnabled(), b->font().bold());
        }
        return out;
    }

    static std::vector<uint8_t> sky(int64_t at)
    {
        const synth::PlacedFrame f{synth::allCallReply(0x4840D6), at, 0.0, 80.0, 0.3};
        return synth::renderTestBuffer(std::span(&f, 1), 2.0, uint64_t(at));
    }

    std::unique_ptr<Tfosis> sisex;
};

TEST_F(SisexWindowTest, SisexButtonOpensTheWindowAndTheTickRecordsLivePages)
{
    makeAll();
    ASSERT_TRUE(controls().sbmodes);
    button("sbsisex")->click();
    ASSERT_TRUE(sisex->isVisible());
    EXPECT_TRUE(x<QAbstractButton>("sblive")->isChecked());
    EXPECT_EQ(panel(7), "LIVE!");
    EXPECT_TRUE(st().explorerVisible);

    const std::vector<uint8_t> a = sky(5000), b = sky(90000);
    tick(a);
    tick(b);
    // The page holds the buffer's magnitudes as the tick computed them, before any clipping.
    const sisex::PageRing& ring = explorer().ring();
    ASSERT_EQ(ring.currentPage(), 1);
    std::vector<uint16_t> expected(sisex::kPageValues);
    for (int i = 0; i < sisex::kPageValues; ++i)
        expected[size_t(i)] = uint16_t(std::abs(int(b[2 * size_t(i)]) - 128) + std::abs(int(b[2 * size_t(i) + 1]) - 128));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), ring.page(1)));
    EXPECT_EQ(panel(0), "PAGE offset: 512 ms");
    std::vector<std::pair<bool, bool>> want(sisex::kPageCount, {false, false});
    want[0] = {true, false};
    want[1] = {true, true};
    EXPECT_EQ(jumpButtons(), want);

    // Up: hidden, and the tick no longer feeds the ring.
    button("sbsisex")->click();
    EXPECT_FALSE(sisex->isVisible());
    tick(a);
    EXPECT_EQ(ring.currentPage(), 1);

    // Closing the window releases the main window's button.
    button("sbsisex")->click();
    ASSERT_TRUE(sisex->isVisible());
    sisex->close();
    EXPECT_FALSE(button("sbsisex")->isChecked());
    EXPECT_FALSE(st().sbsisexDown);
    EXPECT_FALSE(explorer().visible());

    // With MODE-AC down the explorer does not open.
    controls().sbmodeac = true;
    window->sbsisexClick(true);
    EXPECT_FALSE(sisex->isVisible());
    EXPECT_FALSE(button("sbsisex")->isChecked());
}

TEST_F(SisexWindowTest, StopReordersAndJumpButtonsShowTheChosenPage)
{
    makeAll();
    button("sbsisex")->click();
    const std::vector<uint8_t> first = sky(1000);
    tick(first);
    tick(sky(2000));
    tick(sky(3000));
    x<QAbstractButton>("sblive")->click();
    EXPECT_EQ(panel(7), "OFFLINE");
    std::vector<std::pair<bool, bool>> want(sisex::kPageCount, {false, false});
    want[17] = {true, false};
    want[18] = {true, false};
    want[19] = {true, true};
    EXPECT_EQ(jumpButtons(), want);

    x<QAbstractButton>("bu85")->click();
    want[17] = {true, true};
    want[19] = {true, false};
    EXPECT_EQ(jumpButtons(), want);
    EXPECT_EQ(explorer().ring().currentPage(), 17);
    EXPECT_EQ(explorer().ring().page(17)[1000], uint16_t(std::abs(first[2000] - 128) + std::abs(first[2001] - 128)));
    // A disabled button does nothing.
    x<QAbstractButton>("bu0")->click();
    EXPECT_EQ(explorer().ring().currentPage(), 17);

    // Page keys move between pages; the window sees them whichever control has the focus.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QCoreApplication::sendEvent(x("TrackBar2"), &down);
    EXPECT_EQ(explorer().ring().currentPage(), 18);
    EXPECT_EQ(x<QSlider>("TrackBar1")->value(), 28);
}

// The display and the strip show exactly what the rasterisers draw for the same state.
TEST_F(SisexWindowTest, DisplayAndStripAreTheRenderedPictures)
{
    makeAll();
    button("sbsisex")->click();
    tick(sky(700));
    x<QAbstractButton>("sblive")->click();
    x<QAbstractButton>("sbslow1")->click(); // zoom
    x<QSlider>("TrackBar1")->setValue(0);
    sisex->handleKey(Qt::Key_Right, Qt::NoModifier); // contrast + 1
    sisex->handleKey(Qt::Key_Up, Qt::NoModifier);    // squelch - 1
    sisex->picture()->onPress(sisex::MouseButton::Left, 21, 3);
    EXPECT_EQ(x<QLabel>("Label3")->text(), "5");
    EXPECT_EQ(x<QLabel>("Label4")->text(), "11");

    sisex::RgbImage want(sisex::kPictureWidth, sisex::kPictureHeight, sisex::kClearColour);
    sisex::render(explorer().pictureState(), want);
    const QImage shown = sisex->picture()->grab().toImage().convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(shown.size(), QSize(want.width, want.height));
    int different = 0;
    for (int y = 0; y < want.height; ++y)
        for (int px = 0; px < want.width; ++px) {
            const QColor c = shown.pixelColor(px, y);
            const sisex::Rgb w = want.at(px, y);
            different += c.red() != w.r || c.green() != w.g || c.blue() != w.b;
        }
    EXPECT_EQ(different, 0);
    EXPECT_GT(std::count(want.rgb.begin(), want.rgb.end(), 255), 0); // the picture is not empty

    sisex::RgbImage strip(sisex::kStripWidth, sisex::kStripHeight);
    sisex::renderStrip(explorer().stripState(), strip);
    const QImage shownStrip = sisex->strip()->picture().convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(shownStrip.size(), QSize(strip.width, strip.height));
    EXPECT_TRUE(std::equal(strip.rgb.begin(), strip.rgb.end(), shownStrip.constBits()));

    // F3: the strip goes, the window is the short height.
    sisex->handleKey(Qt::Key_F3, Qt::NoModifier);
    EXPECT_EQ(sisex->height(), 555);
    EXPECT_EQ(sisex->strip()->height(), 0);
}

// A page the window was never told about is drawn when the main window next paints.
TEST_F(SisexWindowTest, AMainWindowRepaintRedrawsTheVisibleExplorer)
{
    makeAll();
    button("sbsisex")->click();
    tick(sky(700));
    QCoreApplication::processEvents();
    const QImage before = sisex->picture()->picture();
    program->engine().explorerHost().setUi(nullptr);
    tick(sky(90000));
    program->engine().explorerHost().setUi(sisex.get());
    sisex::RgbImage want(sisex::kPictureWidth, sisex::kPictureHeight, sisex::kClearColour);
    sisex::render(explorer().pictureState(), want);
    auto shows = [&](const sisex::RgbImage& image) {
        const QImage shown = sisex->picture()->picture().convertToFormat(QImage::Format_RGB888);
        for (int y = 0; y < image.height; ++y)
            if (!std::equal(image.rgb.begin() + 3 * y * image.width, image.rgb.begin() + 3 * (y + 1) * image.width,
                            shown.constScanLine(y)))
                return false;
        return true;
    };
    ASSERT_FALSE(shows(want));
    ASSERT_EQ(sisex->picture()->picture(), before);

    window->repaint();
    QCoreApplication::processEvents();
    EXPECT_TRUE(shows(want));
}

TEST_F(SisexWindowTest, SettingsKeysComeBackAfterARestart)
{
    const std::filesystem::path dir = home() / "raw";
    std::filesystem::create_directories(dir);
    std::ofstream(home() / "varnock.ini") << "[sisex]\ncontrast=9\nthreshold=30\ncontrastz=7\nthresholdz=40\nytspan=6\n";
    makeAll();
    EXPECT_EQ(explorer().contrast(), 9);
    EXPECT_EQ(x<QSlider>("TrackBar3")->value(), 30);
    EXPECT_EQ(x<QSlider>("TrackBar4")->value(), 6);

    button("sbsisex")->click();
    sisex->handleKey(Qt::Key_Left, Qt::NoModifier); // overview contrast 8
    x<QAbstractButton>("sbslow1")->click();
    EXPECT_EQ(explorer().squelch(), 40);
    sisex->handleKey(Qt::Key_Down, Qt::NoModifier); // zoom squelch 41
    x<QSlider>("TrackBar4")->setValue(5);
    explorer().directoryChosen(dir.string());
    program->endApplication();
    ASSERT_TRUE(program->ended());
    dropAll();

    makeAll();
    sisex::Explorer& e = explorer();
    EXPECT_EQ((std::vector<int>{e.overviewView().contrast, e.overviewView().squelch, e.zoomView().contrast,
                                e.zoomView().squelch, e.ytSpanPosition()}),
              (std::vector<int>{8, 30, 7, 41, 5}));
    EXPECT_EQ(e.dataDir(), dir.string() + "/");
    EXPECT_EQ(sisex->windowTitle().toStdString(), "varnock - Signals-in-space explorer - " + dir.string() + "/");
}

TEST_F(SisexWindowTest, StatisticsPanelRunsOnTheShownPageAndClosesAgain)
{
    makeAll();
    button("sbsisex")->click();
    tick(sky(4000));
    x<QAbstractButton>("sblive")->click();
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(x("sbslow1"), &right);
    ASSERT_TRUE(x("Panel3")->isVisibleTo(sisex.get()));
    x<QAbstractButton>("Run")->click();
    EXPECT_EQ(panel(7), "Analysis done.");
    auto* list = x<QListWidget>("lb1");
    ASSERT_EQ(list->count(), int(explorer().statistics().lines().size()));
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->item(i)->text().toStdString(), explorer().statistics().lines()[size_t(i)]);
    x<QAbstractButton>("Close")->click();
    EXPECT_FALSE(x("Panel3")->isVisibleTo(sisex.get()));
}

TEST_F(SisexWindowTest, TheExplorerGoesToTheTrayWithTheMainWindowAndComesBackLive)
{
    makeAll();
    button("sbsisex")->click();
    window->setTrayAvailable(true);
    window->hideToTray();
    EXPECT_FALSE(sisex->isVisible());
    tick(sky(100));
    EXPECT_FALSE(explorer().ring().hasData()); // no feed while hidden

    window->restoreFromTray();
    EXPECT_TRUE(sisex->isVisible());
    tick(sky(100));
    EXPECT_EQ(explorer().ring().currentPage(), 0);

    // A closed explorer stays closed when the main window comes back.
    sisex->close();
    window->hideToTray();
    window->restoreFromTray();
    EXPECT_FALSE(sisex->isVisible());
}

TEST_F(SisexWindowTest, ScreenshotsAndTheFolderChooserWriteIntoTheDataFolder)
{
    makeAll();
    const std::filesystem::path dir = home() / "shots";
    std::filesystem::create_directories(dir / "old");
    explorer().setDataDir(dir.string());
    button("sbsisex")->click();

    const QString bmp = sisex->screenshot(sisex::MouseButton::Left);
    EXPECT_EQ(panel(7), "BMP file saved");
    const QString jpg = sisex->screenshot(sisex::MouseButton::Right);
    EXPECT_EQ(panel(7), "JPG file saved");
    EXPECT_TRUE(sisex->screenshot(sisex::MouseButton::Middle).isEmpty());
    EXPECT_EQ(QImage(bmp).size(), sisex->size());
    EXPECT_EQ(QImage(jpg).size(), sisex->size());
    EXPECT_TRUE(bmp.startsWith(QString::fromStdString(dir.string() + "/varnock_")) && bmp.endsWith(".bmp")) << bmp.toStdString();

    // Right button on the open button: the folder panel; a click on a sub-folder chooses it at once.
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(x("sbopen"), &right);
    ASSERT_TRUE(x("Panel2")->isVisibleTo(sisex.get()));
    auto* list = x<QListWidget>("dlb1");
    const auto found = list->findItems(QStringLiteral("old"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    Q_EMIT list->itemClicked(found[0]);
    EXPECT_EQ(explorer().dataDir(), (dir / "old").string() + "/");

    x<QLineEdit>("eddir")->setText(QStringLiteral("new"));
    x<QAbstractButton>("New")->click();
    EXPECT_TRUE(std::filesystem::is_directory(dir / "old" / "new"));
    EXPECT_EQ(panel(7), "Folder created.");
    EXPECT_TRUE(x<QLineEdit>("eddir")->text().isEmpty());
    x<QAbstractButton>("OK")->click();
    EXPECT_FALSE(x("Panel2")->isVisibleTo(sisex.get()));
    EXPECT_EQ(explorer().dataDir(), (dir / "old" / "new").string() + "/");
}

} // namespace
} // namespace varnock::test
