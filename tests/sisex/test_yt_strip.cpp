// The Y-t strip: trace heights against the span, cursors, squelch line, and a Mode A/C reply read from it.
#include "sisex_test_support.h"

#include "demod/magnitude.h"
#include "synth/modeac_transmitter.h"

namespace varnock::sisex::test {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

TEST(YtStrip, TraceHeightsFollowTheSpanAndTheSquelchLineIsDrawnLast)
{
    uint16_t* page = sharedRing().page(0);
    std::fill(page, page + kPageValues, uint16_t{0});
    // The marker's strip row 10 at position 1 follows page row 64 + 5 + 1.
    uint16_t* row = page + 70 * kRowValues;
    row[0] = 25; // the span: full height
    row[1] = 30; // cut off at the top
    row[2] = 12; // 48 pixels
    row[3] = 1;  // 4 pixels
    EXPECT_EQ(spanLabels(8), (std::array<int, 4>{25, 19, 12, 6}));
    EXPECT_EQ(spanLabels(5), (std::array<int, 4>{64, 48, 32, 16}));

    StripState s;
    s.page = page;
    s.white = Marker{1, 0, 10, 1};
    s.span = stripSpan(8);
    s.squelch = 12;
    RgbImage image(kStripWidth, kStripHeight);
    renderStrip(s, image);

    RgbImage expected(kStripWidth, kStripHeight, kBlack);
    for (int x = 100; x <= 900; x += 100) {
        expected.fillRect(x, 0, x + 1, 10, kStripGrey);
        expected.fillRect(x, 90, x + 1, 100, kStripGrey);
    }
    for (int y : {25, 50, 75})
        for (int x = 0; x < kStripWidth; x += 2) expected.set(x, y, kStripGrey);
    expected.fillRect(0, 0, 4, 100, kWhite);
    expected.fillRect(4, 52, 6, 100, kWhite);
    expected.fillRect(6, 96, 8, 100, kWhite);
    expected.fillRect(0, 52, kStripWidth, 53, kAqua); // 100 - 12 x 100 / 25
    EXPECT_EQ(image.rgb, expected.rgb);

    s.aquaX = 300;
    s.magentaX = 350;
    renderStrip(s, image);
    for (int y = 10; y < 100; ++y) {
        if (y == 52 || y == 90) continue;
        ASSERT_EQ(image.at(300, y), kAqua) << y;
        ASSERT_EQ(image.at(350, y), kMagenta) << y;
    }
    for (int x = 295; x <= 305; ++x) EXPECT_EQ(image.at(x, 0), kAqua) << x;
    EXPECT_EQ(stripDistanceText(300, 350), "0.0125 ms");
    EXPECT_EQ(stripDistanceText(0, 350), "");

    RgbImage flat(kStripWidth, 0);
    renderStrip(s, flat); // a strip panel without height draws nothing
}

// A Mode A/C reply as a 2 MS/s receiver sees it: pulses every 2.9 samples, 0.9 samples wide.
void addReply(synth::SignalBuffer& buffer, int f1, const synth::ModeACCode& code, bool xPulse)
{
    const uint16_t mask = synth::modeACPulseMask(code, xPulse);
    for (int n = 0; n < 15; ++n)
        if (mask & (1u << n)) buffer.addPulse(f1 + 2.9 * n, 0.9, 80.0f, 0.0f);
}

// The buffer as the one live page, recording stopped, slow view at the start.
void showStopped(Explorer& e, const synth::SignalBuffer& buffer)
{
    std::vector<uint8_t> iq(2 * size_t(kPageValues));
    buffer.quantise(iq.data());
    std::vector<uint16_t> m(kPageValues);
    computeMagnitudes(iq.data(), m.data(), kPageValues);
    e.liveFeed(m.data(), kPageValues);
    e.sbliveClick(false);
    e.sbslow1Click(true);
    e.setPosition(0);
}

TEST(YtStrip, AModeACReplyPickedOnTheStripIsReadAsItsCodeAndFlightLevel)
{
    synth::ModeACCode altitude;
    ASSERT_TRUE(synth::modeCCodeOf(3600, altitude));
    synth::ModeACCode squawk;
    ASSERT_TRUE(squawk.parse("7700"));
    synth::SignalBuffer buffer(kPageValues, synth::kModeSSampleRate);
    addReply(buffer, 40 * kRowValues + 100, altitude, false);
    addReply(buffer, 80 * kRowValues + 100, squawk, true);
    addReply(buffer, 120 * kRowValues + 100, squawk, false);
    buffer.addNoise(1.0, 3);
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    showStopped(e, buffer);

    // Click the picture one row above F1: the marker snaps to F1's row.
    e.mouseDown(MouseButton::Left, 200, 76);
    EXPECT_EQ(e.whiteMarker().ticks, 39 * kRowValues + 100);
    EXPECT_EQ(e.whiteMarker().stripY, 78);
    // Two strip pixels (one sample) before F1: the second attempt finds it.
    e.stripMouseDown(MouseButton::Left, 198);
    EXPECT_EQ(e.modeALabel(), "Mode A: " + altitude.text());
    EXPECT_EQ(e.modeCLabel(), "Mode C: FL036");
    EXPECT_EQ(e.patternCaption(), altitude.text());
    EXPECT_EQ(e.aquaCursor(), 198);

    // The same code with the X pulse is never read.
    e.mouseDown(MouseButton::Left, 200, 158);
    e.stripMouseDown(MouseButton::Left, 200);
    EXPECT_EQ(e.modeALabel(), "Mode A:");
    EXPECT_EQ(e.modeCLabel(), "Mode C:");

    e.mouseDown(MouseButton::Left, 200, 238);
    e.stripMouseDown(MouseButton::Left, 200);
    EXPECT_EQ(e.modeALabel(), "Mode A: 7700");
    EXPECT_EQ(e.modeCLabel(), "Mode C: ---");

    e.sbclearClick();
    EXPECT_EQ(e.aquaCursor(), -1);
    EXPECT_EQ(e.modeALabel(), "");
}

// Mode C altitudes are whole hundreds: the strip shows the list's level, odd and even alike.
TEST(YtStrip, TheStripShowsTheListsFlightLevel)
{
    synth::SignalBuffer buffer(kPageValues, synth::kModeSSampleRate);
    const int feet[] = {3700, 3800};
    for (int i = 0; i < 2; ++i) {
        synth::ModeACCode code;
        ASSERT_TRUE(synth::modeCCodeOf(feet[i], code));
        addReply(buffer, (40 + 40 * i) * kRowValues + 100, code, false);
    }
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    showStopped(e, buffer);
    std::vector<std::string> read;
    for (int y : {78, 158}) {
        e.mouseDown(MouseButton::Left, 200, y);
        e.stripMouseDown(MouseButton::Left, 200);
        read.push_back(e.modeCLabel());
    }
    EXPECT_EQ(read, (std::vector<std::string>{"Mode C: FL037", "Mode C: FL038"}));
}

TEST(YtStrip, PictureReadoutsAndMarkerSnap)
{
    std::vector<uint16_t> m(kPageValues, 0);
    m[10 * kRowValues + 50] = 40;  // two rows below the click: the strongest of the five
    m[8 * kRowValues + 50] = 20;
    ExplorerRig rig;
    Explorer& e = rig.explorer;
    e.liveFeed(m.data(), kPageValues);
    e.sbliveClick(false);
    e.mouseMove(100, 14);
    EXPECT_EQ(e.status(0), "PAGE offset: 9728 ms");
    EXPECT_EQ(e.status(1), "");
    e.sbslow1Click(true);
    e.setPosition(0);
    // Mouse (100, 14): 0.25 x 7 + 0.0005 x 50 = 1.775 ms, shown from page row 8.
    e.mouseMove(100, 14);
    EXPECT_EQ(e.status(0), "CUR: 1.775 ms + 9728 = 9729.775 ms");
    EXPECT_EQ(e.status(6), "X: 100 Y:14 =>20 [14]");
    e.mouseDown(MouseButton::Right, 100, 14);
    EXPECT_EQ(e.redMarker().ticks, 9 * kRowValues + 50);
    EXPECT_EQ(e.redMarker().stripY, 18); // the strip follows the snapped row
    EXPECT_EQ(e.status(2), "RED: 2.275 ms");
    e.mouseDown(MouseButton::Left, 100, 10);
    EXPECT_EQ(e.status(1), "WHT: 1.775 ms");
    EXPECT_EQ(e.status(3), "RED-WHT: 0.500 ms");
    e.mouseMove(100, 14);
    EXPECT_EQ(e.status(4), "WHT-CUR: 0.000 ms");
    EXPECT_EQ(e.status(5), "RED-CUR: 0.500 ms");
}

} // namespace
} // namespace varnock::sisex::test
