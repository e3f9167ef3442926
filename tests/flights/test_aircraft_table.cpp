// Aircraft table: allocation order and reuse, OK/AD/RM lines, ageing, CPR word expiry, slot filing.
#include <gtest/gtest.h>

#include "core/clock.h"
#include "flights/aircraft_table.h"
#include "decode/commb_infer.h"
#include "test_support.h"

using namespace varnock;

namespace {

struct TableFixture : ::testing::Test {
    VirtualClock clock;
    test::RecordingLineSink lines;
    AircraftTable table{lines, clock};

    int accept(const char* address)
    {
        int i = -1;
        if (table.findFlight(address, i, kLifetimeRounds)) return i;
        i = table.allocFlight(kLifetimeRounds);
        if (i >= 0) {
            table.setAddress(i, address);
            table[i].inuse = 1;
            table[i].announced = 1;
        }
        return i;
    }
    static std::string sta(const char* address, const char* status)
    {
        const std::string t = "2026/01/01,00:00:00.000";
        return std::string("STA,,111,11111,") + address + ",111111," + t + "," + t + "," + status + "\r\n";
    }
    std::string lineKind(std::size_t n) const
    {
        const std::string& l = lines.lines.at(n);
        return l.substr(0, 3) + l.substr(l.size() - 4, 2);
    }
};

} // namespace

TEST_F(TableFixture, AllocatesLowestFreeAndTracksHighestUsed)
{
    EXPECT_EQ(accept("AAAAA1"), 0);
    EXPECT_EQ(accept("AAAAA2"), 1);
    EXPECT_EQ(accept("AAAAA3"), 2);
    EXPECT_EQ(table.highestUsed, 2);
    table[1].inuse = 0;
    EXPECT_EQ(accept("AAAAA4"), 1);
    EXPECT_EQ(table.highestUsed, 2);
    int i = -1;
    EXPECT_TRUE(table.findFlight("AAAAA3", i, 30));
    EXPECT_EQ(i, 2);
}

TEST_F(TableFixture, RemovedAircraftReturnsWithOkAndItsOldRecordGivesAdOnlyForAnotherAddress)
{
    ASSERT_EQ(accept("4840D6"), 0);
    table[0].timeout = 0;
    table[0].lat = 52.0;
    table.purgeFlights(); // timeout -1: removed
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_EQ(lines.lines[0].substr(0, 26), "STA,,111,11111,4840D6,1111");
    EXPECT_NE(lines.lines[0].find(",RM\r\n"), std::string::npos);
    EXPECT_FALSE(table[0].inuse);

    // Heard again: the stale record is refreshed (OK) and a fresh record is taken - the same one.
    // It held this very address, so nothing was deleted: no AD line.
    int i = -1;
    EXPECT_FALSE(table.findFlight("4840D6", i, 30));
    EXPECT_EQ(table[0].lat, kUnknownPos);
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[1], sta("4840D6", "OK"));
    EXPECT_EQ(table.allocFlight(30, "4840D6"), 0);
    EXPECT_EQ(lines.lines.size(), 2u);
    EXPECT_STREQ(table[0].icao.c_str(), "4840D6");
    EXPECT_EQ(table[0].announced, 0);

    // Removed again and its record taken by another address: now the old address is deleted.
    table[0].inuse = 1;
    table[0].announced = 1;
    table[0].timeout = 0;
    table.purgeFlights();
    ASSERT_EQ(lines.lines.size(), 3u);
    EXPECT_EQ(table.allocFlight(30, "ABCDEF"), 0);
    ASSERT_EQ(lines.lines.size(), 4u);
    EXPECT_EQ(lines.lines[3], sta("4840D6", "AD"));
    EXPECT_STREQ(table[0].icao.c_str(), "ABCDEF");
}

TEST_F(TableFixture, SilentAircraftIsRemovedInTheThirtyFirstRound)
{
    lines.connected = false;
    accept("ABCDEF");
    for (int round = 1; round <= 30; ++round) {
        table.purgeFlights();
        EXPECT_TRUE(table[0].inuse) << round;
    }
    table.purgeFlights();
    EXPECT_FALSE(table[0].inuse);
    EXPECT_TRUE(lines.lines.empty()); // no client, no line
}

TEST_F(TableFixture, AirborneCprWordsExpireAfterEightRounds)
{
    accept("ABCDEF");
    TFlight& r = table[0];
    r.aireven.lat = 1234;
    r.aireven.age = 8;
    r.airodd.lat = 4321;
    r.airodd.age = 3;
    r.sfceven.age = 14;
    for (int round = 1; round <= 8; ++round) {
        table.purgeFlights();
        EXPECT_EQ(r.airodd.lat, round < 3 ? 4321 : kUnknown) << round;
        EXPECT_EQ(r.aireven.lat, round < 8 ? 1234 : kUnknown) << round;
    }
    EXPECT_EQ(r.aireven.age, 0);
    table.purgeFlights();
    EXPECT_EQ(r.aireven.age, -1);
    EXPECT_EQ(r.sfceven.age, 14); // surface words never age
}

TEST_F(TableFixture, ReusedRecordShowsNothingOfItsPreviousOccupant)
{
    accept("111111");
    TFlight& r = table[0];
    r.callsign.assign("KLM1023 ", 8);
    r.altitude = 35000;
    r.lat = 52.0;
    r.ias = 250;
    r.lastseen = 99;
    r.slot(kSlotIdent).isNew = 1;
    r.bds40 = 1;
    r.inuse = 0;
    lines.connected = false;
    ASSERT_EQ(table.allocFlight(30), 0);
    EXPECT_STREQ(r.callsign.c_str(), "        ");
    EXPECT_STREQ(r.squawk.c_str(), "    ");
    EXPECT_EQ(r.altitude, kUnknownAlt);
    EXPECT_EQ(r.lat, kUnknownPos);
    EXPECT_EQ(r.ias, kUnknown);
    EXPECT_EQ(r.lastseen, kUnknown);
    EXPECT_EQ(r.bds40, 0);
    EXPECT_EQ(r.timeout, 30);
    EXPECT_EQ(r.aireven.age, -1);
    for (int n = 1; n <= kSlotCount; ++n) EXPECT_FALSE(r.slot(n).isNew) << n;
}

TEST_F(TableFixture, FullTableRefusesAllocation)
{
    lines.connected = false;
    for (int i = 0; i < kTableSize; ++i) {
        char a[7];
        std::snprintf(a, sizeof a, "%06X", i + 1);
        ASSERT_EQ(accept(a), i);
    }
    EXPECT_EQ(table.allocFlight(30), -1);
    EXPECT_EQ(table.highestUsed, kTableSize - 1);
    table[kTableSize - 1].inuse = 0;
    table.resetHighestUsed();
    EXPECT_EQ(table.highestUsed, kTableSize - 2);
}

TEST_F(TableFixture, StoreFrameChoosesSlotsByFormatTypeCodeAndRegister)
{
    accept("ABCDEF");
    TFlight& r = table[0];
    uint8_t f[14] = {};
    struct Case {
        int df;
        uint8_t b0, b4, b6;
        int slot;
    } cases[] = {
        {0, 0x00, 0, 0, kSlotDf0},          {4, 0x20, 0, 0, kSlotDf4},
        {5, 0x28, 0, 0, kSlotDf5},          {11, 0x58, 0, 0, kSlotDf11},
        {16, 0x80, 0, 0, kSlotDf16},        {17, 0x8D, 11 << 3, 0, kSlotAirEven},
        {17, 0x8D, 11 << 3, 4, kSlotAirOdd}, {17, 0x8D, 0, 4, kSlotAirOdd},
        {18, 0x90, 4 << 3, 0, kSlotIdent},  {17, 0x8D, 6 << 3, 0, kSlotSfcEven},
        {17, 0x8D, 7 << 3, 4, kSlotSfcOdd}, {17, 0x8D, 19 << 3, 0, kSlotVelocity},
        {17, 0x8D, 28 << 3, 0, kSlotTc28},  {17, 0x8D, 30 << 3, 0, kSlotTc30},
        {17, 0x8D, 31 << 3, 0, kSlotTc31},  {20, 0xA0, 0x20, 0, kSlotDf20Bds20},
        {21, 0xA8, 0x20, 0, kSlotDf21Bds20},
    };
    for (const auto& c : cases) {
        for (auto& s : r.slots) s.isNew = 0;
        f[0] = c.b0;
        f[4] = c.b4;
        f[6] = c.b6;
        table.storeFrame(c.df, f, r);
        EXPECT_TRUE(r.slot(c.slot).isNew) << "df " << c.df << " slot " << c.slot;
        int count = 0;
        for (auto& s : r.slots) count += s.isNew;
        EXPECT_EQ(count, c.df >= 20 ? 2 : 1) << "df " << c.df;
    }
    EXPECT_EQ(r.bds20, 1);
    EXPECT_EQ(r.esdf, 17); // the last squitter filed

    // Type codes 20-27 and 29 are not filed; df 19 with AF > 0 keeps its hex.
    for (auto& s : r.slots) s.isNew = 0;
    for (int tc : {20, 23, 27, 29}) {
        f[0] = 0x8D;
        f[4] = static_cast<uint8_t>(tc << 3);
        table.storeFrame(17, f, r);
    }
    for (auto& s : r.slots) EXPECT_FALSE(s.isNew);
    f[0] = (19 << 3) | 2;
    f[4] = 4 << 3;
    table.storeFrame(19, f, r);
    EXPECT_EQ(r.hexdf19.size(), 28u);
    EXPECT_EQ(r.esdf, 19);

    // A DF 20 with no recognised register fills only the DF 4 slot.
    for (auto& s : r.slots) s.isNew = 0;
    uint8_t n[14] = {0xA0};
    n[4] = 0x10;
    table.storeFrame(20, n, r);
    int count = 0;
    for (auto& s : r.slots) count += s.isNew;
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(r.slot(kSlotDf4).isNew);
}

TEST(CommBInference, TestsInOrder)
{
    uint8_t b[14] = {};
    b[4] = 0x20;
    b[7] = 0x20; // would also look like 4,0, but 0x20 in the first byte wins
    EXPECT_EQ(inferCommBRegister(b), 0x20);
    b[4] = 0x10;
    EXPECT_EQ(inferCommBRegister(b), 0);
    b[4] = 0x80;
    EXPECT_EQ(inferCommBRegister(b), 0x40);
    b[10] = 0x08;
    EXPECT_EQ(inferCommBRegister(b), 0);
    uint8_t c[14] = {};
    c[4] = 0x80;
    c[5] = 0x18;
    c[6] = 0x01;
    c[8] = 0x20;
    c[9] = 0x04;
    EXPECT_EQ(inferCommBRegister(c), 0x50);
    c[9] = 0;
    EXPECT_EQ(inferCommBRegister(c), 0x60);
}
