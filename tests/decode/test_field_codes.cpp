// Altitude codes, flight-level text, identity codes and six-bit characters.
#include <gtest/gtest.h>

#include "decode/field_codes.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

// Independent encoder: feet (100-ft steps) -> 13-bit Gillham code. 500-ft Gray code
// D2 D4 A1 A2 A4 B1 B2 B4; 100-ft cycle C1 C2 C4 = 1 3 2 6 4, run backwards in odd 500-ft steps.
int gillhamCode13(int feet)
{
    const int t = (feet + 1200) / 100, n500 = t / 5;
    int n100 = t % 5 + 1;
    if (n500 & 1) n100 = 6 - n100;
    static constexpr int kC[] = {0, 1, 3, 2, 6, 4};
    const int c = kC[n100], g = n500 ^ (n500 >> 1);
    auto at = [](int v, int bit, int mask) { return ((v >> bit) & 1) ? mask : 0; };
    return at(c, 2, 0x1000) | at(c, 1, 0x400) | at(c, 0, 0x100) | at(g, 5, 0x800) | at(g, 4, 0x200) |
           at(g, 3, 0x080) | at(g, 2, 0x020) | at(g, 1, 0x008) | at(g, 0, 0x002) | at(g, 7, 0x004) |
           at(g, 6, 0x001);
}

// 25-ft count N -> AC code with Q set.
int qCode13(int n) { return (n & 0x0F) | ((n & 0x10) << 1) | ((n & 0x7E0) << 2) | 0x10; }
int qCode12(int n) { return (n & 0x0F) | ((n & 0x7F0) << 1) | 0x10; }

TEST(AltitudeCode, GillhamRoundTripBothWidths)
{
    for (int feet = -1000; feet <= 126700; feet += 100) {
        TFlight rec;
        const int code = gillhamCode13(feet);
        ASSERT_EQ(decodeAltitudeCode(code, 13, rec), feet);
        ASSERT_EQ(rec.gillham, 1);
        const int code12 = ((code >> 1) & 0xFC0) | (code & 0x3F); // 12-bit: no M bit
        ASSERT_EQ(decodeAltitudeCode(code12, 12, rec), feet);
    }
    // C groups 0, 5 and 7 do not occur in the 100-ft cycle.
    const int noC = gillhamCode13(35000) & ~0x1500;
    for (int c : {0x0000, 0x1100, 0x1500}) {
        TFlight rec;
        EXPECT_EQ(decodeAltitudeCode(noC | c, 13, rec), -9999) << c;
    }
}

TEST(AltitudeCode, QBitCodes)
{
    const int cases[][2] = {{0, -999}, {1, -975}, {40, 0}, {1560, 38000}, {2047, 50175}};
    for (const auto& c : cases) {
        TFlight rec;
        EXPECT_EQ(decodeAltitudeCode(qCode13(c[0]), 13, rec), c[1]) << "N = " << c[0];
        EXPECT_EQ(rec.gillham, 0);
        EXPECT_EQ(decodeAltitudeCode(qCode12(c[0]), 12, rec), c[1]) << "N = " << c[0];
    }
    // A metric code is kept as a flag and gives no altitude, Q bit or not; 12-bit codes have no M bit.
    for (const int code : {qCode13(1560) | 0x40, gillhamCode13(35000) | 0x40}) {
        TFlight rec;
        EXPECT_EQ(decodeAltitudeCode(code, 13, rec), -999) << code;
        EXPECT_EQ(rec.metric, 1);
    }
    TFlight rec;
    EXPECT_EQ(decodeAltitudeCode(qCode13(1560), 13, rec), 38000);
    EXPECT_EQ(rec.metric, 0);
    TFlight es;
    decodeAltitudeCode(qCode12(1560), 12, es);
    EXPECT_EQ(es.metric, kUnknown);
}

TEST(FlightLevel, TextFromAltitude)
{
    struct Case {
        int altitude;
        const char* text;
        int after;
    };
    const Case cases[] = {
        {35000, "F350", 35000}, {35050, "F350", 35050}, {35150, "F352", 35150}, {35149, "F351", 35149},
        {450, "F004", 450},     {-25, "F000", -25},      {-998, "F000", -998},      {-999, "F123", -999},
        {-9999, "F123", -9999}, {126700, "F1267", 126700},
    };
    for (const auto& c : cases) {
        TFlight rec;
        rec.altstr.assign("F123", 4);
        rec.altitude = c.altitude;
        formatFlightLevel(rec);
        EXPECT_STREQ(rec.altstr.c_str(), c.text) << c.altitude;
        EXPECT_EQ(rec.altitude, c.after);
    }
}

TEST(Identity, DigitsFromCode)
{
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {0x116D, "0356"}, // 2A00516D492B80: 1090 MHz Riddle surveillance chapter
        {0x092D, "1346"}, // A800292DFFBBA9383FFCEB903D01: pyModeS v2.21.1 test_py_common.py
        {0x0080, "4000"}, {0x0020, "0100"}, {0x0400, "0020"}, {0x0010, "0001"}, // A4, B1, C2, D1
        {0x0040, "0000"}, {0x1FBF, "7777"},                                     // X alone, all digits
    };
    for (const auto& c : cases) EXPECT_STREQ(decodeIdentity(c.code).c_str(), c.text) << c.code;
}

TEST(SixBitChar, CharacterSet)
{
    const char* expected = " ABCDEFGHIJKLMNOPQRSTUVWXYZ      123456789      0123456789      ";
    for (int v = 0; v < 64; ++v) EXPECT_EQ(sixBitChar(v), expected[v]) << v;
}

} // namespace
} // namespace varnock
