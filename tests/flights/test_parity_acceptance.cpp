// Parity remainder and acceptance per downlink format, on published and constructed frames.
#include <gtest/gtest.h>

#include "core/clock.h"
#include "flights/acceptance.h"
#include "demod/parity.h"
#include "flights/aircraft_table.h"
#include "test_support.h"

using namespace varnock;
using varnock::test::fromHex;

namespace {

// Identification squitter of KLM1023, "The 1090 Megahertz Riddle" (J. Sun), identification chapter.
const char* kKlm = "8D4840D6202CC371C32CE0576098";

struct Fixture : ::testing::Test {
    VirtualClock clock;
    test::RecordingLineSink lines;
    AircraftTable table{lines, clock};

    RawFrame frame(const std::vector<uint8_t>& b)
    {
        RawFrame f;
        for (std::size_t i = 0; i < b.size() && i < 14; ++i) f.bytes[i] = b[i];
        f.df = f.bytes[0] >> 3;
        f.length = static_cast<int>(b.size());
        return f;
    }
    std::vector<uint8_t> shortFrame(int df, uint32_t overlay, uint8_t b1 = 0x10)
    {
        std::vector<uint8_t> b = {static_cast<uint8_t>(df << 3), b1, 0x12, 0x34, 0, 0, 0};
        setModeSParity(b.data(), 7, overlay);
        return b;
    }
};

} // namespace

TEST(Parity, PublishedFrameIsCleanAndEveryFlippedBitIsCaught)
{
    auto b = fromHex(kKlm);
    EXPECT_EQ(modeSSyndrome(b.data(), 14), 0u);
    for (int bit = 0; bit < 112; ++bit) {
        auto c = b;
        c[bit / 8] ^= static_cast<uint8_t>(0x80 >> (bit % 8));
        EXPECT_NE(modeSSyndrome(c.data(), 14), 0u) << "bit " << bit;
    }
}

TEST(Parity, OverlayRoundTripsForShortAndLongFrames)
{
    std::vector<uint8_t> s = {0x20, 0x00, 0x17, 0x18, 0, 0, 0};
    setModeSParity(s.data(), 7, 0xABCDEF);
    EXPECT_EQ(modeSSyndrome(s.data(), 7), 0xABCDEFu);
    auto l = fromHex(kKlm);
    setModeSParity(l.data(), 14, 0x123456);
    EXPECT_EQ(modeSSyndrome(l.data(), 14), 0x123456u);
}

TEST_F(Fixture, Df17IsAcceptedAndAnnouncedOnFirstSight)
{
    RawFrame f = frame(fromHex(kKlm));
    ASSERT_TRUE(validateAndFile(f, table));
    EXPECT_STREQ(f.address, "4840D6");
    EXPECT_EQ(f.syndrome[0] | f.syndrome[1] | f.syndrome[2], 0);
    EXPECT_TRUE(table[0].inuse);
    EXPECT_TRUE(table[0].announced);
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_EQ(lines.lines[0].rfind("AIR,,111,11111,4840D6,111111,", 0), 0u);
    EXPECT_TRUE(table[0].slot(kSlotIdent).isNew);

    auto bad = fromHex(kKlm);
    bad[5] ^= 0x01;
    RawFrame g = frame(bad);
    EXPECT_FALSE(validateAndFile(g, table));
}

TEST_F(Fixture, AnnouncedWithoutAirLineWhenNoClient)
{
    lines.connected = false;
    RawFrame f = frame(fromHex(kKlm));
    ASSERT_TRUE(validateAndFile(f, table));
    EXPECT_TRUE(table[0].announced);
    EXPECT_TRUE(lines.lines.empty());
}

TEST_F(Fixture, Df11InterrogatorCodeMayBeAnyLowSevenBits)
{
    RawFrame ok = frame(shortFrame(11, 0x00007F, 0x40));
    EXPECT_TRUE(validateAndFile(ok, table));
    EXPECT_STREQ(ok.address, "401234");
    RawFrame bad = frame(shortFrame(11, 0x000080, 0x40));
    EXPECT_FALSE(validateAndFile(bad, table));
}

TEST_F(Fixture, AddressParityRepliesWaitForAnAcceptedAircraft)
{
    // df 4 replies from 4840D6 before any squitter: never output, each re-takes the lowest free record.
    for (int i = 0; i < 3; ++i) {
        RawFrame f = frame(shortFrame(4, 0x4840D6));
        EXPECT_FALSE(validateAndFile(f, table));
        EXPECT_STREQ(f.address, "4840D6");
    }
    EXPECT_EQ(table[0].sightings, 1);
    EXPECT_FALSE(table[0].inuse);
    // The candidate found again was never announced: nothing has returned, so no OK line.
    EXPECT_TRUE(lines.lines.empty());

    RawFrame sq = frame(fromHex(kKlm));
    ASSERT_TRUE(validateAndFile(sq, table));
    for (int df : {0, 4, 5}) {
        RawFrame f = frame(shortFrame(df, 0x4840D6));
        EXPECT_TRUE(validateAndFile(f, table)) << "df " << df;
    }
    std::vector<uint8_t> l(14, 0);
    l[0] = 20 << 3;
    l[4] = 0x20;
    l[5] = 0x11;
    setModeSParity(l.data(), 14, 0x4840D6);
    RawFrame df20 = frame(l);
    EXPECT_TRUE(validateAndFile(df20, table));
}

TEST_F(Fixture, Df19WithAfAbove0IsFiledUnderZeroAddress)
{
    auto b = fromHex(kKlm);
    b[0] = (19 << 3) | 1;
    setModeSParity(b.data(), 14, 0);
    RawFrame f = frame(b);
    EXPECT_FALSE(validateAndFile(f, table)); // not an immediate kind
    EXPECT_STREQ(f.address, "000000");
    b[8] ^= 4;
    RawFrame g = frame(b);
    EXPECT_FALSE(validateAndFile(g, table));
    EXPECT_STREQ(table[0].icao.c_str(), "000000");
}

TEST_F(Fixture, ShortFramesOfLongFormatsFillOnlyShortSlots)
{
    // A df 16-21 whose last 24 bits were zero is short: its syndrome is the address, and bytes
    // 4-6 are parity. Even for an accepted aircraft only df 20/21 have a short slot (that of df
    // 4/5); the others are dropped, so a crafted short identification cannot touch the callsign.
    auto ident = shortFrame(17, 0x4840D6, 0x48);
    RawFrame f = frame(ident);
    EXPECT_FALSE(validateAndFile(f, table));
    RawFrame sq = frame(fromHex(kKlm));
    ASSERT_TRUE(validateAndFile(sq, table));
    const int r = 0;
    ASSERT_STREQ(table[r].icao.c_str(), "4840D6");
    for (int df = 16; df <= 21; ++df) {
        for (auto& slot : table[r].slots) slot = MessageSlot{};
        table[r].esdf = kUnknown;
        // Byte 4 is parity here; whatever it holds must not pick a slot (0x20 would read as TC 4
        // or as register 2,0).
        std::vector<uint8_t> b;
        for (int i = 0; i < 65536; ++i) {
            b = shortFrame(df, 0x4840D6, 0x48);
            b[2] = static_cast<uint8_t>(i >> 8);
            b[3] = static_cast<uint8_t>(i);
            setModeSParity(b.data(), 7, 0x4840D6);
            if (b[4] == 0x20) break;
        }
        ASSERT_EQ(b[4], 0x20) << "df " << df;
        RawFrame s = frame(b);
        const bool hasShortSlot = df == 20 || df == 21;
        EXPECT_EQ(validateAndFile(s, table), hasShortSlot) << "df " << df;
        for (int n = 1; n <= kSlotCount; ++n) {
            const bool want = hasShortSlot && n == (df == 20 ? kSlotDf4 : kSlotDf5);
            EXPECT_EQ(table[r].slot(n).isNew, want ? 1 : 0) << "df " << df << " slot " << n;
        }
        if (hasShortSlot) {
            const MessageSlot& slot = table[r].slot(df == 20 ? kSlotDf4 : kSlotDf5);
            EXPECT_EQ(std::vector<uint8_t>(slot.bytes, slot.bytes + 14),
                      std::vector<uint8_t>({b[0], b[1], b[2], b[3], b[4], b[5], b[6], 0, 0, 0, 0, 0, 0, 0}));
        }
        EXPECT_EQ(table[r].esdf, kUnknown) << "df " << df;
    }
    EXPECT_EQ(table[r].bds20, 0);
}

TEST_F(Fixture, Df18AndDf19WithAf0AreAcceptedAndAnnouncedOnFirstSight)
{
    const std::string stamp = "2026/01/01,00:00:00.000";
    for (uint8_t first : {uint8_t(18 << 3), uint8_t(19 << 3)}) {
        AircraftTable t{lines, clock};
        lines.lines.clear();
        auto b = fromHex(kKlm); // identification of 4840D6 re-sent as a non-transponder / military squitter
        b[0] = first;
        setModeSParity(b.data(), 14, 0);
        RawFrame f = frame(b);
        ASSERT_TRUE(validateAndFile(f, t)) << int(first >> 3);
        EXPECT_STREQ(f.address, "4840D6");
        EXPECT_EQ(t[0].inuse, 1);
        EXPECT_EQ(t[0].announced, 1);
        EXPECT_EQ(t[0].esdf, first >> 3);
        EXPECT_EQ(t[0].slot(kSlotIdent).isNew, 1);
        EXPECT_EQ(std::vector<uint8_t>(t[0].slot(kSlotIdent).bytes, t[0].slot(kSlotIdent).bytes + 14), b);
        EXPECT_EQ(lines.lines,
                  std::vector<std::string>({"AIR,,111,11111,4840D6,111111," + stamp + "," + stamp + "\r\n"}));
        // Its address/parity replies now pass on first sight.
        RawFrame df4 = frame(shortFrame(4, 0x4840D6));
        EXPECT_TRUE(validateAndFile(df4, t)) << int(first >> 3);
    }
}

TEST_F(Fixture, FullTableDropsNewAddressesButKeepsKnownOnes)
{
    for (int i = 0; i < kTableSize; ++i) {
        TFlight& r = table[i];
        char a[7];
        std::snprintf(a, sizeof a, "%06X", 0x100000 + i);
        table.setAddress(i, a);
        r.inuse = 1;
    }
    table.highestUsed = kTableSize - 1;
    RawFrame f = frame(fromHex(kKlm));
    EXPECT_FALSE(validateAndFile(f, table));
    auto known = fromHex(kKlm);
    known[1] = 0x10;
    known[2] = 0x00;
    known[3] = 0x05;
    setModeSParity(known.data(), 14, 0);
    RawFrame k = frame(known);
    EXPECT_TRUE(validateAndFile(k, table));
}

TEST_F(Fixture, ReturningAircraftGetsOkAndAirButNoAdForItself)
{
    const std::string t = "2026/01/01,00:00:00.000," "2026/01/01,00:00:00.000";
    auto line = [&t](const char* kind, const char* tail) {
        return std::string(kind) + ",,111,11111,4840D6,111111," + t + tail + "\r\n";
    };
    RawFrame f = frame(fromHex(kKlm));
    ASSERT_TRUE(validateAndFile(f, table));
    for (int round = 0; round < 31; ++round) table.purgeFlights();
    ASSERT_FALSE(table[0].inuse);
    RawFrame back = frame(fromHex(kKlm));
    ASSERT_TRUE(validateAndFile(back, table));
    EXPECT_EQ(lines.lines, std::vector<std::string>({line("AIR", ""), line("STA", ",RM"), line("STA", ",OK"),
                                                     line("AIR", "")}));
    EXPECT_TRUE(table[0].inuse);
    EXPECT_EQ(table.countInUse(), 1);
}
