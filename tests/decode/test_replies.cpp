// Surveillance and all-call replies: DF 0/16, DF 4/20, DF 5/21 and DF 11 through decodeFrame.
#include <gtest/gtest.h>

#include "decode/decode_frame.h"
#include "core/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using test::published;

void decode(int label, const test::Frame& f, TFlight& rec) { decodeFrame(label, f.data(), rec, {}); }

// Short reply: DF, the three low bits of byte 0, byte 1, and the 13-bit code of bits 20-32.
test::Frame reply(int df, int low3, int byte1, int code13)
{
    test::Frame f;
    f.b = {static_cast<uint8_t>(df << 3 | low3), static_cast<uint8_t>(byte1),
           static_cast<uint8_t>(code13 >> 8 & 0x1F), static_cast<uint8_t>(code13 & 0xFF)};
    return f;
}

TEST(Replies, PublishedFrames)
{
    struct Case {
        int label;
        const char* hex;
        const char* field;
        const char* expected; // altitude in feet or squawk
    };
    const Case cases[] = {
        {4, "2000171806A983", "altitude_ft", "36000"},   // 1090 MHz Riddle surveillance chapter
        {4, "20001718029FCD", "altitude_ft", "36000"},   // pyModeS v2.21.1 test_surv.py
        {20, "A02014B400000000000000F9D514", "altitude_ft", "32300"}, // pyModeS test_py_common.py
        {5, "2A00516D492B80", "squawk", "0356"},          // 1090 MHz Riddle; pyModeS test_surv.py
        {21, "A800292DFFBBA9383FFCEB903D01", "squawk", "1346"}, // pyModeS test_py_common.py
    };
    for (const auto& c : cases) {
        TFlight rec;
        decode(c.label, fromHex(c.hex), rec);
        EXPECT_EQ(published(c.hex, c.field), c.expected);
        if (c.field[0] == 's') {
            EXPECT_STREQ(rec.squawk.c_str(), c.expected) << c.hex;
        } else {
            EXPECT_EQ(rec.altitude, std::stoi(c.expected)) << c.hex;
        }
    }
    TFlight rec;
    decode(5, fromHex("2A00516D492B80"), rec);
    EXPECT_EQ(std::to_string(rec.fs), published("2A00516D492B80", "fs"));
    EXPECT_EQ(std::to_string(rec.dr), published("2A00516D492B80", "dr"));
}

TEST(Replies, FlightStatusAndDownlinkRequest)
{
    struct Case {
        int fs, onground, spi, alert;
    };
    const Case cases[] = {{0, 0, kUnknown, kUnknown}, {1, 1, kUnknown, kUnknown}, {2, 0, kUnknown, 6},
                          {3, 1, kUnknown, 6},        {4, kUnknown, 6, 6},        {5, kUnknown, 6, kUnknown},
                          {6, kUnknown, kUnknown, kUnknown}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(5, reply(5, c.fs, 0, 0), rec);
        EXPECT_EQ(rec.onground, c.onground) << "FS " << c.fs;
        EXPECT_EQ(rec.spi, c.spi) << "FS " << c.fs;
        EXPECT_EQ(rec.alert, c.alert) << "FS " << c.fs;
        if (c.onground == 1) {
            EXPECT_STREQ(rec.altstr.c_str(), "G---");
        }
    }
    for (int dr : {1, 2, 3, 5, 6, 7, 31}) {
        TFlight rec;
        decode(4, reply(4, 0, dr << 3 | 5, 0x0F00), rec);
        EXPECT_EQ(rec.dr, dr);
        EXPECT_EQ(rec.um, 5 << 5 | 0x0F00 >> 11);
        EXPECT_EQ(rec.acas, (dr == 2 || dr == 3 || dr == 6 || dr == 7) ? 60 : kUnknown) << "DR " << dr;
    }
}

TEST(Replies, AltitudeReply)
{
    // FS 4 before any air/ground information shows the ground; once airborne it decodes.
    TFlight rec;
    decode(4, reply(4, 4, 0, 0x1718), rec);
    EXPECT_EQ(rec.altitude, 0);
    EXPECT_STREQ(rec.altstr.c_str(), "G---");
    rec.onground = 0;
    decode(4, reply(4, 4, 0, 0x1718), rec);
    EXPECT_EQ(rec.altitude, 36000);
    EXPECT_STREQ(rec.altstr.c_str(), "F360");

    struct Case {
        int code, altitude;
        const char* text;
    };
    const Case cases[] = {
        {0, -999, "F100"},                // no altitude: text unchanged
        {0x98, 0, "F000"},                // Q, N = 40
        {0x1100, -9999, "F100"},          // Gillham C = 5
        {0x42B, 60000, "???"},           // Gillham 60000 ft: above the shown range
    };
    for (const auto& c : cases) {
        TFlight r;
        r.onground = 0;
        r.altstr.assign("F100", 4);
        decode(4, reply(4, 0, 0, c.code), r);
        EXPECT_EQ(r.altitude, c.altitude) << c.code;
        EXPECT_STREQ(r.altstr.c_str(), c.text) << c.code;
    }
}

TEST(Replies, AirAirSurveillanceAndCapability)
{
    TFlight rec;
    auto f = reply(0, 1, 5 << 5 | 3, 0x1718);
    f.b[2] |= 0x80;
    decode(0, f, rec);
    EXPECT_EQ(rec.df0bit, 1);
    EXPECT_EQ(rec.sl, 5);
    EXPECT_EQ(rec.ri, 7);
    EXPECT_EQ(rec.onground, 0);
    EXPECT_EQ(rec.altitude, 36000);

    // Vertical status set: ground altitude, air/ground state itself untouched.
    TFlight vs;
    vs.vrate = 1200;
    decode(0, reply(0, 4, 0, 0x1718), vs);
    EXPECT_EQ(vs.onground, kUnknown);
    EXPECT_EQ(vs.vrate, 0);
    EXPECT_STREQ(vs.altstr.c_str(), "G---");

    // DF 11 5D484FDEA248F5: CA 5 (1090 MHz Riddle all-call chapter; pyModeS test_allcall.py).
    TFlight ca;
    ca.onground = 1;
    decode(11, fromHex("5D484FDEA248F5"), ca);
    EXPECT_EQ(std::to_string(ca.ca), published("5D484FDEA248F5", "ca"));
    EXPECT_EQ(ca.onground, 0);
    decode(11, fromHex("5C484FDEA248F5"), ca); // CA 4
    EXPECT_EQ(ca.onground, 1);
    EXPECT_STREQ(ca.altstr.c_str(), "G---");
}

} // namespace
} // namespace varnock
