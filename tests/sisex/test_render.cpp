// The picture, compared pixel by pixel: squelch, colours, overview sums and grid, crosses, Mode A pattern.
#include "sisex_test_support.h"

#include <sstream>

namespace varnock::sisex::test {
namespace {

constexpr Rgb kBlank = kClearColour;

// Whole-picture comparison that names the first differing pixel and the number of differences.
::testing::AssertionResult sameImage(const RgbImage& actual, const RgbImage& expected)
{
    int differences = 0;
    std::ostringstream first;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const Rgb a = actual.at(x, y), e = expected.at(x, y);
            if (a == e) continue;
            if (differences++ == 0)
                first << "first at (" << x << ", " << y << "): got " << int(a.r) << "," << int(a.g) << ","
                      << int(a.b) << " expected " << int(e.r) << "," << int(e.g) << "," << int(e.b);
        }
    if (differences == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differences << " pixels differ, " << first.str();
}

// A zeroed page of the shared ring to draw from.
uint16_t* blankPage()
{
    uint16_t* p = sharedRing().page(0);
    std::fill(p, p + kPageValues, uint16_t{0});
    return p;
}

void cell(RgbImage& image, int screenRow, int column, Rgb c)
{
    image.fillRect(2 * column, 2 * screenRow - 2, 2 * column + 2, 2 * screenRow, c);
}

PictureState zoomed(const uint16_t* page, int position = 0)
{
    PictureState s;
    s.page = page;
    s.zoom = true;
    s.position = position;
    return s;
}

TEST(Render, SquelchContrastAndColourBands)
{
    uint16_t* page = blankPage();
    // Screen row 1 shows page row 1 at position 0.
    const int row1 = kRowValues;
    page[row1 + 0] = 7; // equal to the squelch: not drawn
    page[row1 + 1] = 8;
    page[row1 + 2] = 64;
    page[row1 + 3] = 65;
    page[row1 + 4] = 128;
    page[row1 + 5] = 129;
    page[row1 + 6] = 192;
    page[row1 + 7] = 193;
    page[row1 + 8] = 230;
    page[row1 + 9] = 231;
    page[2 * kRowValues + 499] = 9;  // screen row 2, last column
    page[255 * kRowValues + 0] = 8;  // last screen row, pixel lines 508 and 509
    page[0] = 200;                   // row 0 lies above the picture
    page[256 * kRowValues] = 200;    // first row of the next position

    PictureState s = zoomed(page);
    s.contrast = 30;
    s.squelch = 7;
    RgbImage image(kPictureWidth, kPictureHeight);
    render(s, image);

    RgbImage expected(kPictureWidth, kPictureHeight, kBlank);
    cell(expected, 1, 1, {0, 240, 0}); // 8 x 30
    cell(expected, 1, 2, {0, 255, 0});
    cell(expected, 1, 3, {127, 255, 128});
    cell(expected, 1, 4, {127, 255, 128});
    cell(expected, 1, 5, {127, 215, 0});
    cell(expected, 1, 6, {127, 215, 0});
    cell(expected, 1, 7, {127, 0, 0});
    cell(expected, 1, 8, {127, 0, 0});
    cell(expected, 1, 9, {255, 0, 0});
    cell(expected, 2, 499, {0, 255, 0});   // 9 x 30 = 270 capped
    cell(expected, 255, 0, {0, 240, 0});   // 8 x 30
    EXPECT_TRUE(sameImage(image, expected));

    s.contrast = 4;
    s.squelch = 0;
    page[row1 + 0] = 1;
    render(s, image);
    EXPECT_EQ(image.at(0, 0), (Rgb{0, 4, 0}));
    EXPECT_EQ(image.at(4, 1), (Rgb{0, 255, 0})); // 64 x 4 = 256 capped
    EXPECT_EQ(image.at(0, 510), kBlank);         // the two bottom lines show no row
}

TEST(Render, NothingIsDrawnWithoutAPage)
{
    RgbImage image(kPictureWidth, kPictureHeight, {1, 2, 3});
    const RgbImage before = image;
    render(PictureState{}, image);
    EXPECT_TRUE(sameImage(image, before));
}

TEST(Render, OverviewSumsEightRowsAboveTheSquelchAndDrawsTheGrid)
{
    uint16_t* page = blankPage();
    for (int r = 8; r < 16; ++r) page[r * kRowValues + 5] = 12;  // sum 96 in overview row 1
    page[8 * kRowValues + 6] = 12;                               // alone: equal to the squelch
    for (int r = 8; r < 16; ++r) page[r * kRowValues + 7] = 11;  // below the squelch: counts 0
    page[8 * kRowValues + 7] = 13;
    page[2047 * kRowValues + 499] = 250;                         // last overview row, last column

    uint32_t row[kRowValues];
    overviewRow(page, 1, 12, row);
    EXPECT_EQ(row[5], 96u);
    EXPECT_EQ(row[6], 12u);
    EXPECT_EQ(row[7], 13u);

    PictureState s;
    s.page = page;
    RgbImage image(kPictureWidth, kPictureHeight);
    render(s, image);
    RgbImage expected(kPictureWidth, kPictureHeight, kBlank);
    cell(expected, 1, 5, {127, 255, 128});
    cell(expected, 1, 7, {0, 52, 0});
    cell(expected, 255, 499, {255, 0, 0});
    for (int k = 1; k <= 7; ++k) {
        const int y = 512 - 64 * k;
        for (int x0 : {0, 980, 490, 240, 740}) expected.fillRect(x0, y, x0 + 20, y + 1, kGridColour);
    }
    EXPECT_TRUE(sameImage(image, expected));
}

TEST(Render, MarkerCrossesOnTheirCellsInTheZoomWindowOnly)
{
    uint16_t* page = blankPage();
    PictureState s = zoomed(page, 1);
    // 16 ms (position 1) + 3 rows + 7 values: cell of screen row 4, column 7.
    s.white.ticks = kTicksPerPosition + 3 * kRowValues + 7;
    s.red.ticks = 100 * kTicksPerMs; // beyond this window
    RgbImage image(kPictureWidth, kPictureHeight);
    render(s, image);
    RgbImage expected(kPictureWidth, kPictureHeight, kBlank);
    expected.fillRect(14, 0, 15, 11, {255, 255, 255});  // vertical stroke, rows 0..10
    expected.fillRect(9, 6, 20, 7, {255, 255, 255});    // horizontal stroke through the cell's top line
    EXPECT_TRUE(sameImage(image, expected));

    s.position = 6; // red at 100 ms = 96 ms + 16 rows: screen row 17, column 0
    s.white.ticks = 0;
    render(s, image);
    RgbImage red(kPictureWidth, kPictureHeight, kBlank);
    red.fillRect(0, 26, 1, 37, {255, 0, 0});
    red.fillRect(0, 32, 6, 33, {255, 0, 0}); // clipped at the left edge
    EXPECT_TRUE(sameImage(image, red));

    s.zoom = false; // the overview has no crosses, only the grid
    render(s, image);
    EXPECT_EQ(image.at(0, 32), kBlank);
}

TEST(Render, ModeAPatternOfTheTypedCode)
{
    ExplorerRig rig;
    std::vector<uint16_t> zeros(kPageValues, 0);
    rig.explorer.liveFeed(zeros.data(), kPageValues);
    rig.explorer.sbliveClick(false);
    rig.explorer.sbslow1Click(true);
    for (int d : {7, 7, 0, 0}) rig.explorer.digitKey(d);
    EXPECT_EQ(rig.explorer.patternCaption(), "7700");
    rig.explorer.setPatternDown(true);

    RgbImage image(kPictureWidth, kPictureHeight);
    render(rig.explorer.pictureState(), image);
    RgbImage expected(kPictureWidth, kPictureHeight, kBlank);
    for (int x : {10, 91, 22, 33, 45, 56, 68, 80}) expected.fillRect(x, 4, x + 2, 8, {255, 0, 0});
    EXPECT_TRUE(sameImage(image, expected));

    rig.explorer.digitKey(1); // a fifth digit starts a new code: one character draws no pattern
    EXPECT_EQ(rig.explorer.patternCaption(), "1");
    render(rig.explorer.pictureState(), image);
    EXPECT_TRUE(sameImage(image, RgbImage(kPictureWidth, kPictureHeight, kBlank)));
}

} // namespace
} // namespace varnock::sisex::test
