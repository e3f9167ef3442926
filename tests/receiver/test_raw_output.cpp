// Raw frame lines, UDP datagrams and packet list lines of Mode-S frames and Mode A/C replies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "flights/list_model.h"
#include "receiver/raw_output.h"
#include "test_support.h"

using namespace varnock;
using varnock::test::fromHex;

namespace {

using Bytes = std::vector<uint8_t>;

// Records each send with how many list lines and TCP lines existed at that moment.
struct Recorder final : RawSink, UdpSink {
    bool connected = true;
    const ListModel* list = nullptr;
    std::vector<Bytes> tcp, udp;
    std::vector<int> listAtTcp;
    std::vector<std::size_t> tcpAtUdp;
    bool rawClientConnected() const override { return connected; }
    void sendToRawClient(const uint8_t* d, std::size_t n) override
    {
        tcp.emplace_back(d, d + n);
        listAtTcp.push_back(list->count());
    }
    void sendDatagram(const uint8_t* d, std::size_t n) override
    {
        udp.emplace_back(d, d + n);
        tcpAtUdp.push_back(tcp.size());
    }
};

const uint8_t kStamp[6] = {0x00, 0x01, 0x1A, 0x2B, 0x3C, 0x4D};

RawFrame frame(const std::string& hex)
{
    RawFrame f;
    const Bytes b = fromHex(hex);
    std::memcpy(f.bytes, b.data(), b.size());
    f.length = static_cast<int>(b.size());
    f.level = 45;
    std::memcpy(f.stamp, kStamp, 6);
    f.timeUs = 1234567;
    f.deltaUs = 4567;
    return f;
}

ModeACReply reply(const char* code, bool alt = false, int64_t deltaUs = 99999)
{
    ModeACReply r;
    r.a = code[0] - '0';
    r.b = code[1] - '0';
    r.c = code[2] - '0';
    r.d = code[3] - '0';
    std::memcpy(r.code, code, 4);
    r.level = 45;
    r.altitudeValid = alt;
    r.flightLevel = 35;
    std::memcpy(r.stamp, kStamp, 6);
    r.timeUs = 1234567;
    r.deltaUs = deltaUs;
    return r;
}

std::string text(const uint8_t* p, std::size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

struct Rig {
    CommandLineOptions options;
    Controls controls;
    Leds leds;
    ListModel list{controls, options};
    Recorder sinks;
    RawOutput out{options, controls, leds};
    Rig()
    {
        controls.sblist = true;
        out.setList(&list);
        out.setRawSink(&sinks);
        out.setUdpSink(&sinks);
        sinks.list = &list;
    }
};

const char* kLong = "8D4840D6202CC371C32CE0576098";

} // namespace

TEST(RawLine, BinaryFraming)
{
    uint8_t line[kRawLineMax];
    const Bytes data = fromHex(kLong);
    std::size_t n = buildModeSRawLine(frame(kLong), RawFormat::Binary, false, line);
    Bytes expected = {0x1A, '3', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 45};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(Bytes(line, line + n), expected); // 23 bytes

    // Escape bytes in stamp and frame are doubled; a short frame is type "2".
    n = buildModeSRawLine(frame("5D1A2B3C1A0001"), RawFormat::Binary, true, line);
    EXPECT_EQ(Bytes(line, line + n), Bytes({0x1A, '2', 0x00, 0x01, 0x1A, 0x1A, 0x2B, 0x3C, 0x4D, 45, 0x5D, 0x1A,
                                            0x1A, 0x2B, 0x3C, 0x1A, 0x1A, 0x00, 0x01}));

    n = buildModeACRawLine(reply("7513"), RawFormat::Binary, false, line);
    EXPECT_EQ(Bytes(line, line + n), Bytes({0x1A, '1', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 45, 0x75, 0x13}));
}

TEST(RawLine, TextVariantsAvrWinsOverAscii)
{
    CommandLineOptions o;
    o.ascii = o.avr = true;
    EXPECT_EQ(rawFormatOf(o), RawFormat::Avr);
    o.avr = false;
    EXPECT_EQ(rawFormatOf(o), RawFormat::Ascii);

    uint8_t line[kRawLineMax];
    const RawFrame f = frame(kLong);
    EXPECT_EQ(text(line, buildModeSRawLine(f, RawFormat::Avr, true, line)), "*" + std::string(kLong) + ";\r\n");
    EXPECT_EQ(text(line, buildModeSRawLine(f, RawFormat::Ascii, false, line)),
              "@FFFFFFFFFFFF" + std::string(kLong) + ";\r\n");
    EXPECT_EQ(text(line, buildModeSRawLine(f, RawFormat::Ascii, true, line)),
              "@00011A2B3C4D" + std::string(kLong) + ";\r\n");
    EXPECT_EQ(text(line, buildModeACRawLine(reply("1200"), RawFormat::Avr, true, line)), "*1200;\r\n");
    EXPECT_EQ(text(line, buildModeACRawLine(reply("1200"), RawFormat::Ascii, true, line)), "@00011A2B3C4D1200;\r\n");
}

TEST(RawOutput, ListThenTcpThenUdpWhoseBinaryStampIsAlwaysFF)
{
    Rig rig;
    rig.options.multilat1 = true;
    rig.controls.sbudpout = true;
    rig.out.emitModeSFrame(frame(kLong));
    ASSERT_EQ(rig.sinks.tcp.size(), 1u);
    ASSERT_EQ(rig.sinks.udp.size(), 1u);
    EXPECT_EQ(rig.sinks.listAtTcp[0], 1);
    EXPECT_EQ(rig.sinks.tcpAtUdp[0], 1u);
    EXPECT_EQ(rig.sinks.tcp[0][4], 0x1A);             // stamp, escaped
    EXPECT_EQ(rig.sinks.udp[0].size(), 23u);          // six 0xFF instead
    EXPECT_TRUE(rig.leds[8]);

    Rig off;
    off.sinks.connected = false;
    off.out.emitModeSFrame(frame(kLong));
    EXPECT_TRUE(off.sinks.tcp.empty());
    EXPECT_TRUE(off.sinks.udp.empty());
    EXPECT_FALSE(off.leds[8]);
}

TEST(ListLine, TimeAndDeltaFields)
{
    const std::pair<int64_t, const char*> times[] = {
        {1234567, "   1.234.567"}, {4567, "       4.567"}, {5, "           5"}, {123456789012LL, "3456.789.012"}};
    for (const auto& [us, s] : times) EXPECT_EQ(listTimeField(us), s) << us;
    EXPECT_EQ(listDeltaField(99999), "     ");
    EXPECT_EQ(listDeltaField(4567), " 4567");
}

TEST(ListLine, ModeSFrame)
{
    RawFrame f = frame(kLong);
    EXPECT_EQ(modeSListLine(f, false), "*8D 48 40 D6 20 2C C3 71 C3 2C E0 00 00 00; [ 45]");
    RawFrame s = frame("20001838CA3804");
    s.syndrome[0] = 0x48;
    s.syndrome[1] = 0x40;
    s.syndrome[2] = 0xD6;
    s.level = 131;
    s.deltaUs = 99999;
    EXPECT_EQ(modeSListLine(s, true), "   1.234.567 [     ] *20 00 18 38 48 40 D6; [131]");
}

TEST(ListLine, ModeACNewAndRepeatedReplies)
{
    EXPECT_EQ(modeACNewListLine(reply("1200", true), false), "*1200; [ 45] (F035) ");
    EXPECT_EQ(modeACNewListLine(reply("7000", false, 321), true), "   1.234.567 [  321] *7000; [ 45]        ");

    Rig rig;
    rig.out.emitModeACReply(reply("7000"));
    for (int i = 0; i < 4; ++i) rig.out.emitModeACReply(reply("1200"));
    ASSERT_EQ(rig.list.count(), 2);
    EXPECT_EQ(rig.list.text(1), "*1200; [ 45]        ...");

    Rig c;
    c.options.cntr = true;
    for (int64_t d : {99999, 1450, 99999}) c.out.emitModeACReply(reply("2000", false, d));
    ASSERT_EQ(c.list.count(), 1);
    EXPECT_EQ(c.list.text(0), "   1.234.567 [     ] *2000; [ 45]          1450 .....");
}

TEST(ListLine, RepeatWithNothingToExtendStartsAFreshLine)
{
    Rig rig;
    rig.out.emitModeACReply(reply("1200"));
    rig.list.clear();
    rig.out.emitModeACReply(reply("1200"));
    ASSERT_EQ(rig.list.count(), 1);
    EXPECT_EQ(rig.list.text(0), "*1200; [ 45]        ");

    for (std::size_t i = 0; i < RawOutput::kPileUpMax; ++i) rig.out.emitModeACReply(reply("1200"));
    ASSERT_EQ(rig.list.count(), 2);
    EXPECT_EQ(rig.list.text(0).size(), RawOutput::kPileUpMax);
}

TEST(ListLine, ConditionsOnListWindowAndLog)
{
    struct Case {
        bool sblist, visible, log;
        int modeS, withAlt, withoutAlt; // lines written by each kind
    } cases[] = {
        {true, true, false, 1, 1, 1},
        {true, false, false, 0, 0, 0},
        {true, false, true, 1, 1, 0},
        {false, true, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.controls.sblist = c.sblist;
        rig.controls.mainWindowVisible = c.visible;
        rig.options.log = c.log;
        rig.out.emitModeSFrame(frame(kLong));
        rig.out.emitModeACReply(reply("7000", true));
        const int afterAlt = rig.list.count();
        rig.out.emitModeACReply(reply("1200"));
        EXPECT_EQ(afterAlt, c.modeS + c.withAlt);
        EXPECT_EQ(rig.list.count(), c.modeS + c.withAlt + c.withoutAlt);
        EXPECT_EQ(rig.sinks.tcp.size(), 3u);
    }
}

TEST(RawOutput, AggregatorsGetStampedBinaryWhateverTheLocalFormatAndWithoutALocalClient)
{
    Rig rig;
    rig.options.avr = true; // local clients get text without stamps
    rig.sinks.connected = false;
    Recorder push;
    push.list = &rig.list;
    rig.out.setPushSink(&push);
    rig.out.emitModeSFrame(frame("5D1A2B3C1A0001"));
    rig.out.emitModeACReply(reply("7513"));
    EXPECT_TRUE(rig.sinks.tcp.empty());
    EXPECT_EQ(push.tcp, (std::vector<Bytes>{
                            {0x1A, '2', 0x00, 0x01, 0x1A, 0x1A, 0x2B, 0x3C, 0x4D, 45, 0x5D, 0x1A, 0x1A, 0x2B, 0x3C,
                             0x1A, 0x1A, 0x00, 0x01},
                            {0x1A, '1', 0x00, 0x01, 0x1A, 0x1A, 0x2B, 0x3C, 0x4D, 45, 0x75, 0x13},
                        }));

    push.connected = false; // no aggregator up: nothing is built for it
    rig.out.emitModeSFrame(frame(kLong));
    EXPECT_EQ(push.tcp.size(), 2u);
}
