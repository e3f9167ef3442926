// decodeFrame: dispatch by label, the decoded flag, and the hand-over of each frame to the line writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "decode/decode_frame.h"
#include "flights/sbs_lines.h"
#include "core/flight.h"
#include "decode/decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using Kinds = std::vector<std::string>;

// Records the kind of each line ("ID", "MSG,5", ...); the text is the line writer's business.
class RecordingSink final : public LineSink {
public:
    bool connected = true;
    Kinds kinds;
    std::vector<std::string> lines;

    bool anyLineClient() const override { return connected; }
    void sendToLineClients(std::string_view line) override
    {
        lines.emplace_back(line);
        const auto end = line.find(',', line.rfind("MSG", 0) == 0 ? 4 : 0);
        kinds.emplace_back(line.substr(0, end));
    }
};

struct DecodeFrame : ::testing::Test {
    RecordingSink sink;
    VirtualClock clock;
    TFlight rec;

    void decode(int label, const std::string& hex)
    {
        decodeFrame(label, fromHex(hex).data(), rec, DecodeContext{nullptr, &sink, &clock, emitFrameLine});
    }
};

TEST_F(DecodeFrame, EachLabelDecodesAndWritesItsLine)
{
    const struct {
        int label;
        const char* hex;
        Kinds kinds;
    } cases[] = {
        {0, "02E1971806A983", {"MSG,7"}},
        {16, "80E1971858C382D690C8AC2863A7", {"MSG,7"}},
        {4, "2000171806A983", {"MSG,5"}},
        {20, "A02014B400000000000000F9D514", {"MSG,5"}},
        {5, "2A00516D492B80", {"MSG,6"}},
        {21, "A8001EBCAEE57730A80106DE1344", {"MSG,6"}},
        {11, "5D484FDEA248F5", {"MSG,8"}},
        {17, "8D485020994409940838175B284F", {"MSG,4"}},
        {17, "8D40621D58C382D690C8AC2863A7", {}}, // one position word: no position yet
        {17, "8DA2C1B6E112B600000000760759", {}}, // TC 28
        {18, "8D4840D6202CC371C32CE0576098", {}}, // not a slot label: nothing at all
    };
    for (const auto& c : cases) {
        rec = TFlight{};
        sink.kinds.clear();
        decode(c.label, c.hex);
        EXPECT_EQ(rec.decoded, c.label == 18 ? 0 : 1) << c.hex;
        EXPECT_EQ(sink.kinds, c.kinds) << c.hex;
    }
    // Extra work of the long labels: DF 16 hex, DF 21 identity then register 4,0.
    EXPECT_STREQ(rec.callsign.c_str(), "");
    decode(16, "80E1971858C382D690C8AC2863A7");
    EXPECT_STREQ(rec.hexdf16.c_str(), "80E1971858C382D690C8AC2863A7");
    decode(21, "A8001EBCAEE57730A80106DE1344");
    EXPECT_STREQ(rec.squawk.c_str(), "7333");
    EXPECT_EQ(rec.mcpalt, 240);
    TFlight shortOnly; // the same bytes under label 5 decode no register
    decodeFrame(5, fromHex("A8001EBCAEE57730A80106DE1344").data(), shortOnly, {});
    EXPECT_EQ(shortOnly.mcpalt, kUnknown);
}

TEST_F(DecodeFrame, IdLineOnlyWhenTheCallsignChanges)
{
    decode(17, "8D4840D6202CC371C32CE0576098");
    decode(17, "8D4840D6202CC371C32CE0576098");
    decode(17, "8D406B902015A678D4D220AA4BDA");
    decode(20, "A000083E202CC371C31DE0AA1CCF"); // register 2,0 changes it without an ID line
    EXPECT_STREQ(rec.callsign.c_str(), "KLM1017 ");
    EXPECT_EQ(sink.kinds, (Kinds{"ID", "MSG,1", "MSG,1", "ID", "MSG,1", "MSG,5"}));
}

TEST_F(DecodeFrame, NothingIsWrittenWithoutAClient)
{
    sink.connected = false;
    decode(17, "8D4840D6202CC371C32CE0576098");
    EXPECT_EQ(rec.decoded, 1);
    EXPECT_STREQ(rec.callsign.c_str(), "KLM1023 ");
    EXPECT_TRUE(sink.kinds.empty());
}

TEST_F(DecodeFrame, AirbornePositionPairGivesPositionLine)
{
    // 1090 MHz Riddle airborne position chapter: the odd frame is the newest, so the position
    // is the odd one's (the book's lat_odd 52.2658).
    decode(17, "8D40621D58C382D690C8AC2863A7");
    decode(17, "8D40621D58C386435CC412692AD6");
    EXPECT_NEAR(rec.lat, 52.2658, 1e-3);
    EXPECT_NEAR(rec.lon, 3.9389, 1e-3);
    EXPECT_EQ(sink.kinds, (Kinds{"MSG,3"}));
}

TEST_F(DecodeFrame, AltitudesBelowSeaLevelAndMetricCodes)
{
    // DF 4, FS 0: a 25-ft code of -325 ft (N = 27), then the same code with the M bit set.
    rec.icao.assign("4840D6", 6);
    decode(4, "2000003B000000");
    EXPECT_EQ(rec.altitude, -325);
    EXPECT_STREQ(rec.altstr.c_str(), "F000");
    EXPECT_EQ(rec.metric, 0);
    decode(4, "2000007B000000");
    EXPECT_EQ(rec.altitude, -999);
    EXPECT_EQ(rec.metric, 1);
    const std::string head = "MSG,5,111,11111,4840D6,111111,2026/01/01,00:00:00.000,2026/01/01,00:00:00.000,,";
    EXPECT_EQ(sink.lines, (std::vector<std::string>{head + "-325,,,,,,,,,,0\r\n", head + ",,,,,,,,,,0\r\n"}));
}

TEST_F(DecodeFrame, Df18ControlFieldSaysNothingAboutTheGround)
{
    // KLM1023's identification squitter sent as DF 18 with CF 4, 5 and 6, and as DF 17 with CA 4.
    for (const char* head : {"94", "95", "96"}) {
        rec = TFlight{};
        decode(17, std::string(head) + "4840D6202CC371C32CE0576098");
        EXPECT_STREQ(rec.callsign.c_str(), "KLM1023 ") << head;
        EXPECT_EQ(rec.onground, kUnknown) << head;
        EXPECT_EQ(rec.altitude, kUnknownAlt) << head;
        EXPECT_TRUE(rec.altstr.empty()) << head;
    }
    rec = TFlight{};
    decode(17, "8C4840D6202CC371C32CE0576098");
    EXPECT_EQ(rec.onground, 1);
    EXPECT_STREQ(rec.altstr.c_str(), "G---");
}

} // namespace
} // namespace varnock
