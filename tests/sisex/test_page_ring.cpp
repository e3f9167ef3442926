// Live recording into the page ring: the live feed, the re-ordering on stop, jump buttons, state texts.
#include "sisex_test_support.h"

namespace varnock::sisex::test {
namespace {

// Enabled and bold states of the 20 jump buttons as text: "-" disabled, "e" enabled, "B" bold.
std::string buttonStates()
{
    std::string s;
    for (int k = 0; k < kPageCount; ++k) {
        const JumpButton& b = sharedRing().button(k);
        s += b.bold ? 'B' : (b.enabled ? 'e' : '-');
    }
    return s;
}

void feed(Explorer& e, int firstTag, int count)
{
    for (int t = firstTag; t < firstTag + count; ++t) {
        const auto v = taggedBuffer(t);
        e.liveFeed(v.data(), int(v.size()));
    }
}

TEST(PageRing, ThreePagesThenStopLeavesThemLastInTimeOrder)
{
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    EXPECT_EQ(e.status(kStatePanel), "LIVE!");
    EXPECT_EQ(e.position(), 14);
    EXPECT_TRUE(e.wantsLiveFeed());
    feed(e, 1, 3);
    EXPECT_EQ(e.status(0), "PAGE offset: 1024 ms");
    e.sbliveClick(false);

    EXPECT_FALSE(e.wantsLiveFeed());
    EXPECT_EQ(e.status(kStatePanel), "OFFLINE");
    EXPECT_TRUE(pageEquals(17, taggedBuffer(1)));
    EXPECT_TRUE(pageEquals(18, taggedBuffer(2)));
    EXPECT_TRUE(pageEquals(19, taggedBuffer(3)));
    EXPECT_EQ(buttonStates(), "-----------------eeB");
    EXPECT_EQ(sharedRing().currentPage(), 19);
    EXPECT_EQ(sharedRing().pageOffsetMs(), 9728);
    EXPECT_EQ(sharedRing().shownPage(), sharedRing().page(19));
}

TEST(PageRing, TwentyFivePagesThenStopKeepsTheLastTwenty)
{
    ExplorerRig rig;
    feed(rig.explorer, 1, 25);
    rig.explorer.sbliveClick(false);
    for (int k = 0; k < kPageCount; ++k) EXPECT_TRUE(pageEquals(k, taggedBuffer(6 + k))) << "page " << k;
    EXPECT_EQ(buttonStates(), "eeeeeeeeeeeeeeeeeeeB");
}

TEST(PageRing, StopAtTheLastPageLeavesTheRingAsItIs)
{
    ExplorerRig rig;
    feed(rig.explorer, 1, 20);
    rig.explorer.jumpClick(4); // recording stops without re-ordering
    EXPECT_FALSE(rig.explorer.live());
    EXPECT_EQ(buttonStates(), "eeeeBeeeeeeeeeeeeeee");
    EXPECT_EQ(sharedRing().pageOffsetMs(), 2048);
    EXPECT_EQ(rig.explorer.position(), 0);

    ExplorerRig again;
    feed(again.explorer, 1, 40); // newest in page 19
    again.explorer.sbliveClick(false);
    for (int k = 0; k < kPageCount; ++k) EXPECT_TRUE(pageEquals(k, taggedBuffer(21 + k))) << "page " << k;
    EXPECT_EQ(buttonStates(), "eeeeeeeeeeeeeeeeeeeB");
    EXPECT_EQ(sharedRing().pageOffsetMs(), 9728);
}

TEST(PageRing, StopBeforeAnyBufferOffersNothing)
{
    ExplorerRig rig;
    rig.explorer.sbliveClick(false);
    EXPECT_EQ(sharedRing().currentPage(), -1);
    EXPECT_EQ(sharedRing().shownPage(), nullptr);
    EXPECT_EQ(buttonStates(), "--------------------");
    rig.explorer.jumpClick(3); // a disabled button does nothing
    EXPECT_EQ(sharedRing().currentPage(), -1);
}

TEST(PageRing, ShortBufferLeavesTheRestOfThePageAtZeroAndZoomSetsTheStateText)
{
    ExplorerRig rig;
    rig.explorer.sbslow1Click(true);
    EXPECT_EQ(rig.explorer.status(kStatePanel), "LIVE! (ZOOM)");
    const auto v = taggedBuffer(9);
    rig.explorer.liveFeed(v.data(), 1000);
    std::vector<uint16_t> expected(kPageValues, 0);
    std::copy(v.begin(), v.begin() + 1000, expected.begin());
    EXPECT_TRUE(pageEquals(0, expected));
    EXPECT_EQ(rig.explorer.status(0), "CUR:"); // the offset text is an overview text
    rig.explorer.sbliveClick(false);
    EXPECT_EQ(rig.explorer.status(kStatePanel), "OFFLINE (ZOOM)");

    // With the statistics panel open the live and zoom buttons do nothing.
    rig.explorer.showStatisticsPanel();
    rig.explorer.sbliveClick(true);
    EXPECT_FALSE(rig.explorer.live());
    rig.explorer.sbslow1Click(true);
    EXPECT_FALSE(rig.explorer.zoom());
}

TEST(PageRing, PageKeysStepPagesAndPositions)
{
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    feed(e, 1, 2);
    e.sbliveClick(false); // pages 18 and 19
    e.pageDown();         // overview: already the last page
    EXPECT_EQ(sharedRing().currentPage(), 19);
    e.pageUp();
    EXPECT_EQ(sharedRing().currentPage(), 18);
    EXPECT_EQ(e.position(), 0);
    e.sbslow1Click(true);
    e.pageUp(); // zoom at position 0: previous page at its last position
    EXPECT_EQ(sharedRing().currentPage(), 17);
    EXPECT_EQ(e.position(), kPositionMax);
    e.pageDown(); // at the last position: next page at position 0
    EXPECT_EQ(sharedRing().currentPage(), 18);
    EXPECT_EQ(e.position(), 0);
    EXPECT_EQ(sharedRing().pageOffsetMs(), 18 * 512);
}

} // namespace
} // namespace varnock::sisex::test
