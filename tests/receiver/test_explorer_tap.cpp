// The processing tick hands the explorer unclipped magnitudes only while its window is visible and live.
#include <gtest/gtest.h>

#include "flights/aircraft_table.h"
#include "receiver/processing_tick.h"
#include "sisex/sisex_test_support.h"
#include "test_support.h"

namespace varnock::sisex::test {
namespace {

TEST(PageRing, TheProcessingTickFeedsUnclippedMagnitudesOnlyWhileVisibleAndLive)
{
    varnock::test::RecordingLineSink lines;
    VirtualClock clock;
    AircraftTable table{lines, clock};
    Controls controls;
    ProcessingTick tick{table, controls};
    ExplorerRig rig;
    tick.setMagnitudeTap(&rig.explorer);

    std::vector<uint8_t> iq(2 * size_t(kPageValues), 128);
    iq[2 * 777] = 228; // |I - 128| + |Q - 128| = 100 + 100 = 200, clipped to 181 for the scan
    iq[2 * 777 + 1] = 28;
    tick.audiotimerTimer(iq.data());
    EXPECT_EQ(sharedRing().currentPage(), 0);
    std::vector<uint16_t> expected(kPageValues, 0);
    expected[777] = 200;
    EXPECT_TRUE(pageEquals(0, expected));

    rig.explorer.hideWindow();
    tick.audiotimerTimer(iq.data());
    EXPECT_EQ(sharedRing().currentPage(), 0);
}

} // namespace
} // namespace varnock::sisex::test
