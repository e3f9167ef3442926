// A DF 20 register is filed under the register the table inferred and decodes as that register.
#include <gtest/gtest.h>

#include <array>

#include "core/clock.h"
#include "core/flight.h"
#include "core/line_sink.h"
#include "decode/decode_frame.h"
#include "decode/decode_test_support.h"
#include "flights/aircraft_table.h"

namespace varnock {
namespace {

constexpr int kU = kUnknown;

std::array<int, 6> commBValues(const TFlight& r) { return {r.heading, r.ias, r.mach, r.roll, r.trackrate, r.tas}; }

// Bits that read as both registers: 5,0 roll 10, true track 224, ground speed 360, TAS 400; 6,0
// heading 20, IAS 250, Mach 0.72. ias: the IAS field (also the 5,0 track field).
test::Frame ambiguous(int ias = 250)
{
    return test::fromHex("A0").me(1, 1, 1).me(3, 9, 57).me(12, 1, 1).me(13, 1, 1).me(14, 10, static_cast<unsigned>(ias))
        .me(24, 1, 1).me(25, 10, 180).me(35, 1, 1).me(46, 1, 1).me(47, 10, 200);
}

TEST(CommB, FiledRegisterDecodesAsFiled)
{
    VirtualClock clock;
    NullLineSink lines;
    AircraftTable table(lines, clock);
    TFlight& rec = table[0];
    rec.inuse = 1;
    rec.gs = 360;
    rec.track = 25;
    const auto f = ambiguous();
    table.storeFrame(20, f.data(), rec);
    EXPECT_TRUE(rec.slot(kSlotDf20Bds60).isNew);
    EXPECT_FALSE(rec.slot(kSlotDf20Bds50).isNew);
    EXPECT_EQ(rec.bds60 + 2 * rec.bds50, 1);
    // A velocity decoded earlier in the same round turns the track towards the 5,0 reading: the
    // frame still decodes as the register it was filed under.
    rec.track = 224;
    table.decodeRecord(rec, DecodeContext{});
    EXPECT_EQ(commBValues(rec), (std::array<int, 6>{20, 250, 720, kU, kU, kU}));

    // Filed as 5,0 when the track agrees with it.
    table.storeFrame(20, f.data(), rec);
    EXPECT_TRUE(rec.slot(kSlotDf20Bds50).isNew);
    EXPECT_EQ(rec.bds50, 1);
    table.decodeRecord(rec, DecodeContext{});
    EXPECT_EQ(commBValues(rec), (std::array<int, 6>{20, 250, 720, 10, 0, 400}));
}

} // namespace
} // namespace varnock
