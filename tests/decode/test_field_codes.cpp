// Altitude codes, flight-level text, identity codes and six-bit characters.
#include <gtest/gtest.h>

#include "decode/field_codes.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

// Independent encoder: altitude in 100-ft steps -> 13-bit Gillham AC code
// (500-ft Gray code D2 D4 A1 A2 A4 B1 B2 B4, 100-ft cycle C1 C2 C4 = 1 3 2 6 4, reversed when odd).
int gillhamCode13(int feet)
{
    const int t = (feet + 1200) / 100;
    const int n500 = t / 5;
    int n100 = t % 5 + 1;
    if (n500 & 1) n100 = 6 - n100;
    static constexpr int kC[] = {0, 1, 3, 2, 6, 4};
    const int c = kC[n100];
    const int g = n500 ^ (n500 >> 1);
    auto at = [](int v, int bit, int mask) { return ((v >> bit) & 1) ? mask : 0; };
    return at(c, 2, 0x1000) | at(c, 1, 0x400) | at(c, 0, 0x100) |   // C1 C2 C4
           at(g, 5, 0x800) | at(g, 4, 0x200) | at(g, 3, 0x080) |    // A1 A2 A4
           at(g, 2, 0x020) | at(g, 1, 0x008) | at(g, 0, 0x002) |    // B1 B2 B4
           at(g, 7, 0x004) | at(g, 6, 0x001);                       // D2 D4
}

int drop13To12(int code13) { return ((code13 >> 1) & 0xFC0) | (code13 & 0x3F); }

// 25-ft count N -> 13-bit AC code with Q set (M and Q bits skipped).
int qCode13(int n) { return (n & 0x0F) | ((n & 0x10) << 1) | ((n & 0x7E0) << 2) | 0x10; }
int qCode12(int n) { return (n & 0x0F) | ((n & 0x7F0) << 1) | 0x10; }

TEST(AltitudeCode, GillhamRoundTripOverTheWholeRange)
{
    for (int feet = -1000; feet <= 126700; feet += 100) {
        TFlight rec;
        const int code = gillhamCode13(feet);
        ASSERT_EQ(decodeAltitudeCode(code, 13, rec), feet) << "code " << code;
        EXPECT_EQ(rec.gillham, 1);
        EXPECT_EQ(rec.metric, 0);
        ASSERT_EQ(decodeAltitudeCode(drop13To12(code), 12, rec), feet) << "12-bit, " << feet;
    }
}

TEST(AltitudeCode, GillhamInvalidHundredsGroup)
{
    // C groups 0, 5 and 7 do not occur in the 100-ft cycle.
    const int valid = gillhamCode13(35000);
    const int withoutC = valid & ~(0x1000 | 0x400 | 0x100);
    for (int c : {0, 5, 7}) {
        const int code = withoutC | ((c & 4) ? 0x1000 : 0) | ((c & 2) ? 0x400 : 0) | ((c & 1) ? 0x100 : 0);
        TFlight rec;
        EXPECT_EQ(decodeAltitudeCode(code, 13, rec), -9999) << "C = " << c;
        EXPECT_EQ(gillhamAltitude(0, 0, c, 0), -9999);
    }
}

TEST(AltitudeCode, QBitCodes)
{
    struct Case {
        int n;
        int feet;
    };
    const Case cases[] = {
        {0, -999},    // N = 0 means no altitude, not -1000 ft
        {1, -975},
        {40, 0},
        {1560, 38000},
        {2047, 50175},
    };
    for (const auto& c : cases) {
        TFlight rec;
        EXPECT_EQ(decodeAltitudeCode(qCode13(c.n), 13, rec), c.feet) << "13-bit N = " << c.n;
        EXPECT_EQ(rec.gillham, 0);
        EXPECT_EQ(decodeAltitudeCode(qCode12(c.n), 12, rec), c.feet) << "12-bit N = " << c.n;
    }
}

TEST(AltitudeCode, ZeroCodeIsNoAltitudeAndTouchesNothing)
{
    TFlight rec;
    EXPECT_EQ(decodeAltitudeCode(0, 13, rec), -999);
    EXPECT_EQ(decodeAltitudeCode(0, 12, rec), -999);
    EXPECT_EQ(rec.metric, kUnknown);
    EXPECT_EQ(rec.gillham, kUnknown);
}

TEST(AltitudeCode, MetricBitIsKeptAndDecodedAsFeet)
{
    TFlight rec;
    EXPECT_EQ(decodeAltitudeCode(qCode13(1560) | 0x40, 13, rec), 38000);
    EXPECT_EQ(rec.metric, 1);
    // The 12-bit code has no M bit: 0x40 is an altitude bit there and leaves `metric` alone.
    TFlight es;
    decodeAltitudeCode(qCode12(1560), 12, es);
    EXPECT_EQ(es.metric, kUnknown);
}

TEST(AltitudeCode, GrayToBinary)
{
    for (unsigned n = 0; n < 256; ++n) EXPECT_EQ(grayToBinary(n ^ (n >> 1)), n);
}

TEST(FlightLevel, TextFromAltitude)
{
    struct Case {
        int altitude;
        const char* before;
        const char* text;
        int altitudeAfter;
    };
    const Case cases[] = {
        {35000, "", "F350", 35000},
        {35050, "", "F350", 35050},   // 350.5 -> even
        {35150, "", "F352", 35150},   // 351.5 -> even
        {35149, "", "F351", 35149},
        {450, "", "F004", 450},       // 4.5 -> even
        {0, "", "F000", 0},
        {-25, "", "F000", 0},         // below zero shows as F000 and becomes 0 ft
        {-998, "", "F000", 0},
        {-999, "F123", "F123", -999}, // unknown: left alone
        {-9999, "F123", "F123", -9999},
        {126700, "", "F1267", 126700},
    };
    for (const auto& c : cases) {
        TFlight rec;
        rec.altstr.assign(c.before, std::char_traits<char>::length(c.before));
        rec.altitude = c.altitude;
        formatFlightLevel(rec);
        EXPECT_STREQ(rec.altstr.c_str(), c.text) << c.altitude;
        EXPECT_EQ(rec.altitude, c.altitudeAfter);
    }
}

TEST(Identity, DigitsFromCode)
{
    struct Case {
        int code;
        const char* text;
        const char* source;
    };
    const Case cases[] = {
        {0x116D, "0356", "2A00516D492B80, 1090 MHz Riddle surveillance chapter"},
        {0x092D, "1346", "A800292DFFBBA9383FFCEB903D01, pyModeS v2.21.1 test_py_common.py"},
        {0x12B6, "6513", "8DA2C1B6E112B600000000760759, pyModeS v2.21.1 test_adsb.py"},
        {0x0080, "4000", "A4 alone"},
        {0x0020, "0100", "B1 alone"},
        {0x0400, "0020", "C2 alone"},
        {0x0010, "0001", "D1 alone"},
        {0x0040, "0000", "X bit carries no digit"},
        {0x1FBF, "7777", "every digit bit"},
    };
    for (const auto& c : cases) EXPECT_STREQ(decodeIdentity(c.code).c_str(), c.text) << c.source;
}

TEST(SixBitChar, CharacterSet)
{
    struct Case {
        int v;
        char c;
    };
    const Case cases[] = {
        {0, ' '},  {1, 'A'},  {26, 'Z'}, {27, ' '}, {31, ' '}, {32, ' '}, {33, '1'},
        {41, '9'}, {42, ' '}, {47, ' '}, {48, '0'}, {57, '9'}, {58, ' '}, {63, ' '},
    };
    for (const auto& c : cases) EXPECT_EQ(sixBitChar(c.v), c.c) << c.v;
}

TEST(SixBitChar, CallsignFromFortyEightBits)
{
    // KLM1023 from 8D4840D6202CC371C32CE0576098 (1090 MHz Riddle, identification chapter).
    const auto f = test::fromHex("8D4840D6202CC371C32CE0576098");
    FixedText<8> cs;
    decodeCallsign(f.data() + 5, cs);
    EXPECT_STREQ(cs.c_str(), "KLM1023 ");
}

} // namespace
} // namespace varnock
