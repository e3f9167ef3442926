// decodeFrame: dispatch by label, the decoded flag, and the hand-over of each frame to the line writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "decode/decode_frame.h"
#include "flights/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;

class RecordingSink final : public LineSink {
public:
    bool connected = true;
    std::vector<std::string> lines;

    bool anyLineClient() const override { return connected; }
    void sendToLineClients(std::string_view line) override { lines.emplace_back(line); }

    std::vector<std::string> kinds() const
    {
        std::vector<std::string> out;
        for (const auto& l : lines) {
            const auto first = l.find(',');
            const auto second = l.find(',', first + 1);
            out.push_back(l.rfind("MSG", 0) == 0 ? l.substr(0, second) : l.substr(0, first));
        }
        return out;
    }
};

struct Fixture : ::testing::Test {
    RecordingSink sink;
    VirtualClock clock;
    HomeLocation* home = nullptr;
    TFlight rec;

    DecodeContext ctx() { return DecodeContext{home, &sink, &clock}; }
    void decode(int label, const std::string& hex) { decodeFrame(label, fromHex(hex).data(), rec, ctx()); }
};

using DecodeFrame = Fixture;

TEST_F(DecodeFrame, EachLabelRunsItsDecoderAndWritesItsLine)
{
    struct Case {
        int label;
        const char* hex;
        std::vector<std::string> kinds;
    };
    const Case cases[] = {
        {0, "02E1971806A983", {"MSG,7"}},
        {16, "80E1971858C382D690C8AC2863A7", {"MSG,7"}},
        {4, "2000171806A983", {"MSG,5"}},
        {20, "A02014B400000000000000F9D514", {"MSG,5"}},
        {5, "2A00516D492B80", {"MSG,6"}},
        {21, "A800292DFFBBA9383FFCEB903D01", {"MSG,6"}},
        {11, "5D484FDEA248F5", {"MSG,8"}},
        {17, "8D485020994409940838175B284F", {"MSG,4"}},
        {17, "8D40621D58C382D690C8AC2863A7", {}},                // no position yet
        {17, "8DA2C1B6E112B600000000760759", {}},                // TC 28: no line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        rec = TFlight{};
        sink.lines.clear();
        decode(c.label, c.hex);
        EXPECT_EQ(rec.decoded, 1);
        EXPECT_EQ(sink.kinds(), c.kinds);
    }
}

TEST_F(DecodeFrame, LabelsDecodeTheirOwnFields)
{
    decode(20, "A02014B400000000000000F9D514");
    EXPECT_EQ(rec.altitude, 32300);
    decode(21, "A8001EBCAEE57730A80106DE1344"); // DF 21 identity part, then register 4,0
    EXPECT_STREQ(rec.squawk.c_str(), "1200");
    EXPECT_EQ(rec.mcpalt, 240);
    decode(16, "80E1971858C382D690C8AC2863A7");
    EXPECT_STREQ(rec.hexdf16.c_str(), "80E1971858C382D690C8AC2863A7");
    // DF 4 does not decode Comm-B: the same long frame under label 4 leaves the register alone.
    TFlight plain;
    decodeFrame(4, fromHex("A000029C85E42F313000007047D3").data(), plain, {});
    EXPECT_EQ(plain.mcpalt, kUnknown);
}

TEST_F(DecodeFrame, IdLineOnlyWhenTheCallsignChanges)
{
    const std::string klm = "8D4840D6202CC371C32CE0576098";
    decode(17, klm);
    EXPECT_EQ(sink.kinds(), (std::vector<std::string>{"ID", "MSG,1"}));
    sink.lines.clear();
    decode(17, klm);
    EXPECT_EQ(sink.kinds(), (std::vector<std::string>{"MSG,1"}));
    sink.lines.clear();
    decode(17, "8D406B902015A678D4D220AA4BDA"); // another callsign on the same record
    EXPECT_EQ(sink.kinds(), (std::vector<std::string>{"ID", "MSG,1"}));
    sink.lines.clear();
    // Register 2,0 changes the callsign but never writes an ID line.
    decode(20, "A000083E202CC371C31DE0AA1CCF");
    EXPECT_STREQ(rec.callsign.c_str(), "KLM1017 ");
    EXPECT_EQ(sink.kinds(), (std::vector<std::string>{"MSG,5"}));
}

TEST_F(DecodeFrame, NothingIsWrittenWithoutAClient)
{
    sink.connected = false;
    decode(17, "8D4840D6202CC371C32CE0576098");
    EXPECT_EQ(rec.decoded, 1);
    EXPECT_STREQ(rec.callsign.c_str(), "KLM1023 ");
    EXPECT_TRUE(sink.lines.empty());
    // No sink or clock at all is fine too.
    TFlight bare;
    decodeFrame(4, fromHex("2000171806A983").data(), bare, DecodeContext{});
    EXPECT_EQ(bare.decoded, 1);
}

TEST_F(DecodeFrame, UnknownLabelsDoNothing)
{
    for (int label : {1, 18, 19, 24, -1}) {
        decode(label, "8D4840D6202CC371C32CE0576098");
        EXPECT_EQ(rec.decoded, 0) << label;
        EXPECT_EQ(rec.ca, kUnknown);
    }
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(DecodeFrame, AirbornePositionPairGivesPositionLine)
{
    // 1090 MHz Riddle airborne position chapter: even then odd frame of 40621D.
    decode(17, "8D40621D58C382D690C8AC2863A7");
    decode(17, "8D40621D58C386435CC412692AD6");
    ASSERT_NE(rec.lat, kUnknownPos);
    EXPECT_NEAR(rec.lat, 52.2572, 1e-3);
    EXPECT_NEAR(rec.lon, 3.9194, 1e-3);
    EXPECT_EQ(sink.kinds(), (std::vector<std::string>{"MSG,3"}));
}

} // namespace
} // namespace varnock
