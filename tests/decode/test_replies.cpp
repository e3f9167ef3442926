// Surveillance and all-call replies: DF 0/16, DF 4/20, DF 5/21, DF 11 through decodeFrame.
#include <gtest/gtest.h>

#include "decode/decode_frame.h"
#include "flights/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using test::published;

void decode(int label, const std::string& hex, TFlight& rec)
{
    decodeFrame(label, fromHex(hex).data(), rec, DecodeContext{});
}

// Short reply with DF, FS/CA/VS byte fields and a 13-bit code in bits 20-32.
test::Frame shortReply(int df, int low3, int byte1, int code13)
{
    test::Frame f;
    f.b[0] = static_cast<uint8_t>((df << 3) | low3);
    f.b[1] = static_cast<uint8_t>(byte1);
    f.b[2] = static_cast<uint8_t>((code13 >> 8) & 0x1F);
    f.b[3] = static_cast<uint8_t>(code13 & 0xFF);
    return f;
}

TEST(Replies, PublishedAltitudeAndIdentityReplies)
{
    struct Case {
        int label;
        const char* hex;
        const char* field;
        int altitude;
        const char* squawk;
        const char* source;
    };
    const Case cases[] = {
        {4, "2000171806A983", "altitude_ft", 36000, nullptr, "1090 MHz Riddle, surveillance chapter"},
        {4, "20001718029FCD", "altitude_ft", 36000, nullptr, "pyModeS v2.21.1 test_surv.py"},
        {20, "A02014B400000000000000F9D514", "altitude_ft", 32300, nullptr,
         "pyModeS v2.21.1 test_py_common.py"},
        {5, "2A00516D492B80", "squawk", 0, "0356", "1090 MHz Riddle; pyModeS v2.21.1 test_surv.py"},
        {21, "A800292DFFBBA9383FFCEB903D01", "squawk", 0, "1346", "pyModeS v2.21.1 test_py_common.py"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TFlight rec;
        decode(c.label, c.hex, rec);
        EXPECT_EQ(rec.decoded, 1);
        if (c.squawk) {
            EXPECT_EQ(published(c.hex, c.field), c.squawk);
            EXPECT_STREQ(rec.squawk.c_str(), c.squawk);
        } else {
            EXPECT_EQ(published(c.hex, c.field), std::to_string(c.altitude));
            EXPECT_EQ(rec.altitude, c.altitude);
            EXPECT_EQ(rec.onground, 0);
        }
    }
    // 2A00516D492B80 also publishes FS 2 and DR 0.
    TFlight rec;
    decode(5, "2A00516D492B80", rec);
    EXPECT_EQ(rec.fs, std::stoi(published("2A00516D492B80", "fs")));
    EXPECT_EQ(rec.dr, std::stoi(published("2A00516D492B80", "dr")));
    EXPECT_EQ(rec.alert, 6); // FS 2
}

TEST(Replies, FlightStatusAndDownlinkRequest)
{
    struct Case {
        int fs;
        int onground; // after a DF 5 on a fresh record
        int spi, alert;
    };
    const Case cases[] = {
        {0, 0, kUnknown, kUnknown}, {1, 1, kUnknown, kUnknown}, {2, 0, kUnknown, 6},
        {3, 1, kUnknown, 6},        {4, kUnknown, 6, 6},       {5, kUnknown, 6, kUnknown},
        {6, kUnknown, kUnknown, kUnknown}, {7, kUnknown, kUnknown, kUnknown},
    };
    for (const auto& c : cases) {
        TFlight rec;
        const auto f = shortReply(5, c.fs, 0, 0);
        decodeFrame(5, f.data(), rec, {});
        EXPECT_EQ(rec.fs, c.fs);
        EXPECT_EQ(rec.onground, c.onground) << "FS " << c.fs;
        EXPECT_EQ(rec.spi, c.spi) << "FS " << c.fs;
        EXPECT_EQ(rec.alert, c.alert) << "FS " << c.fs;
        if (c.onground == 1) {
            EXPECT_EQ(rec.altitude, 0);
            EXPECT_STREQ(rec.altstr.c_str(), "G---");
        }
    }
    for (int dr = 0; dr < 32; ++dr) {
        TFlight rec;
        const auto f = shortReply(4, 0, dr << 3 | 5, 0);
        decodeFrame(4, f.data(), rec, {});
        EXPECT_EQ(rec.dr, dr);
        EXPECT_EQ(rec.um, 5 << 5);
        const bool acas = dr == 2 || dr == 3 || dr == 6 || dr == 7;
        EXPECT_EQ(rec.acas, acas ? 60 : kUnknown) << "DR " << dr;
    }
}

TEST(Replies, AltitudeReplyOnTheGroundOrUnknown)
{
    const int code36000 = 0x1718; // from 2000171806A983
    // FS 4 before any air/ground information: the record shows the ground.
    TFlight fresh;
    auto f = shortReply(4, 4, 0, code36000);
    decodeFrame(4, f.data(), fresh, {});
    EXPECT_EQ(fresh.altitude, 0);
    EXPECT_EQ(fresh.vrate, 0);
    EXPECT_STREQ(fresh.altstr.c_str(), "G---");

    // Known airborne, FS 4 keeps it airborne and decodes the altitude.
    TFlight airborne;
    airborne.onground = 0;
    decodeFrame(4, f.data(), airborne, {});
    EXPECT_EQ(airborne.altitude, 36000);
    EXPECT_STREQ(airborne.altstr.c_str(), "F360");

    // FS 1 says ground whatever the code.
    TFlight ground;
    ground.onground = 0;
    f = shortReply(20, 1, 0, code36000);
    decodeFrame(4, f.data(), ground, {});
    EXPECT_EQ(ground.onground, 1);
    EXPECT_EQ(ground.altitude, 0);
}

TEST(Replies, AltitudeReplyCodes)
{
    struct Case {
        int code;
        int altitude;
        const char* text;
    };
    // Code 0 leaves the text alone; above 51000 ft the text is "???".
    const Case cases[] = {
        {0, -999, "F100"},
        {0x10 | 0x08 | 0x80, 0, "F000"}, // Q, N = 40
        {0x400 | 0x040 | 0x008 | 0x002, 0, "F000"}, // Gillham 0 ft, M bit set
        {0x1000 | 0x100, -9999, "F100"},  // Gillham C = 5: invalid
    };
    for (const auto& c : cases) {
        TFlight rec;
        rec.onground = 0;
        rec.altstr.assign("F100", 4);
        const auto f = shortReply(4, 0, 0, c.code);
        decodeFrame(4, f.data(), rec, {});
        EXPECT_EQ(rec.altitude, c.altitude) << std::hex << c.code;
        EXPECT_STREQ(rec.altstr.c_str(), c.text) << std::hex << c.code;
    }
    // 60000 ft as Gillham (n500 = 122, 100-ft step 3 -> C2).
    TFlight high;
    high.onground = 0;
    const int g = 122 ^ (122 >> 1);
    const int code = 0x400 | ((g & 0x20) ? 0x800 : 0) | ((g & 0x10) ? 0x200 : 0) | ((g & 0x08) ? 0x80 : 0) |
                     ((g & 0x04) ? 0x20 : 0) | ((g & 0x02) ? 0x08 : 0) | ((g & 0x01) ? 0x02 : 0) |
                     ((g & 0x80) ? 0x04 : 0) | ((g & 0x40) ? 0x01 : 0);
    const auto f = shortReply(4, 0, 0, code);
    decodeFrame(4, f.data(), high, {});
    EXPECT_EQ(high.altitude, 60000);
    EXPECT_STREQ(high.altstr.c_str(), "???");
}

TEST(Replies, AirAirSurveillance)
{
    // DF 0 with VS clear: airborne, SL/RI kept, altitude decoded (no "???" limit).
    TFlight rec;
    auto f = shortReply(0, 0x01, (5 << 5) | 0x03, 0x1718);
    f.b[2] |= 0x80; // RI low bit
    decodeFrame(0, f.data(), rec, {});
    EXPECT_EQ(rec.df0bit, 1);
    EXPECT_EQ(rec.sl, 5);
    EXPECT_EQ(rec.ri, 7);
    EXPECT_EQ(rec.onground, 0);
    EXPECT_EQ(rec.altitude, 36000);
    EXPECT_STREQ(rec.altstr.c_str(), "F360");

    // VS set: ground altitude, air/ground state untouched.
    TFlight vs;
    vs.vrate = 1200;
    f = shortReply(0, 0x04, 0, 0x1718);
    decodeFrame(0, f.data(), vs, {});
    EXPECT_EQ(vs.onground, kUnknown);
    EXPECT_EQ(vs.altitude, 0);
    EXPECT_EQ(vs.vrate, 0);
    EXPECT_STREQ(vs.altstr.c_str(), "G---");

    // DF 16 decodes the same way and keeps the whole frame as hex.
    TFlight df16;
    const std::string hex = "80E1971858C382D690C8AC2863A7";
    decodeFrame(16, fromHex(hex).data(), df16, {});
    EXPECT_STREQ(df16.hexdf16.c_str(), hex.c_str());
    EXPECT_EQ(df16.sl, 7);
    EXPECT_EQ(df16.onground, 0);
}

TEST(Replies, CapabilityOfAllCallReply)
{
    // 5D484FDEA248F5: CA 5 (1090 MHz Riddle all-call chapter; pyModeS v2.21.1 test_allcall.py).
    TFlight rec;
    rec.onground = 1;
    decode(11, "5D484FDEA248F5", rec);
    EXPECT_EQ(rec.ca, std::stoi(published("5D484FDEA248F5", "ca")));
    EXPECT_EQ(rec.onground, 0);

    TFlight ground;
    ground.altitude = 12000;
    decode(11, "5C484FDEA248F5", ground); // CA 4
    EXPECT_EQ(ground.ca, 4);
    EXPECT_EQ(ground.onground, 1);
    EXPECT_EQ(ground.altitude, 0);
    EXPECT_STREQ(ground.altstr.c_str(), "G---");

    TFlight other;
    decode(11, "5E484FDEA248F5", other); // CA 6 says nothing about the ground
    EXPECT_EQ(other.onground, kUnknown);
}

} // namespace
} // namespace varnock
