// Pulse statistics: spacing counts, the listing threshold, labels, bars, sorting, top scorer, file.
#include "sisex_test_support.h"

#include "demod/magnitude.h"
#include "synth/frame_builder.h"
#include "synth/modeac_scenario.h"
#include "synth/test_buffer.h"

#include <fstream>

namespace varnock::sisex::test {
namespace {

uint16_t* blankPage()
{
    uint16_t* p = sharedRing().page(0);
    std::fill(p, p + kPageValues, uint16_t{0});
    return p;
}

// `pairs` pairs of one-sample pulses `a` samples apart, each pair far from any other.
void addPairs(uint16_t* page, int& at, int pairs, int a)
{
    for (int i = 0; i < pairs; ++i) {
        page[at] = 100;
        page[at + a] = 100;
        at += 41000; // beyond the longest spacing counted
    }
}

std::string dots(int n)
{
    return std::string(size_t(n), '.');
}

TEST(PulseStatistics, AnEmptyPageOrNoPageGivesAnEmptyResultWithNoTopScorer)
{
    PulseStatistics& st = sharedStatistics();
    // A first run with a clear top scorer, so that nothing of it may survive into the next.
    uint16_t* page = blankPage();
    for (int k = 0; k < 5; ++k) page[1000 + 3000 * k] = 100;
    st.run(page, 12);
    EXPECT_EQ(st.topMicroseconds(), 1500);
    EXPECT_EQ(st.hits(), 4);

    blankPage();
    st.run(page, 12);
    EXPECT_TRUE(st.lines().empty());
    EXPECT_EQ(st.topMicroseconds(), 0);
    EXPECT_EQ(st.hits(), 0);

    // Right after live recording starts there is no page: the run shows the empty result.
    ExplorerRig rig;
    rig.explorer.showStatisticsPanel();
    EXPECT_FALSE(rig.explorer.live());
    rig.explorer.runAnalysis();
    EXPECT_TRUE(st.lines().empty());
    EXPECT_EQ(st.hits(), 0);
    EXPECT_EQ(rig.explorer.status(kStatePanel), "Analysis done.");
    std::vector<std::string> progress{"Analysis started", "Analysis ..."};
    for (int k = 2; k <= 40; k += 2) progress.push_back("Analysis = " + std::to_string(k) + "/40");
    EXPECT_EQ(rig.ui.repaints, progress);
    EXPECT_TRUE(rig.explorer.statisticsVisible());
}

TEST(PulseStatistics, CountsAboveTenAreListedWithTheirLabels)
{
    uint16_t* page = blankPage();
    int at = 10;
    addPairs(page, at, 6, 6);  // 3.0 us ...
    addPairs(page, at, 5, 7);  // ... and 3.5 us share one line: 11
    addPairs(page, at, 10, 10); // 5 us: 10, not listed
    sharedStatistics().run(page, 12);
    EXPECT_EQ(sharedStatistics().count(6), 6);
    EXPECT_EQ(sharedStatistics().count(7), 5);
    EXPECT_EQ(sharedStatistics().lines(), std::vector<std::string>{"00011 00003 (Mode 1, P1->P3 -or- A/C, P1->P2)"});

    page = blankPage();
    at = 10;
    addPairs(page, at, 11, 42);
    addPairs(page, at, 12, 38);
    sharedStatistics().run(page, 12);
    EXPECT_EQ(sharedStatistics().producedLines(),
              (std::vector<std::string>{"00012 00019 (Mode C, P2->P3)", "00011 00021 (Mode C, P1->P3)"}));
    EXPECT_EQ(sharedStatistics().lines(),
              (std::vector<std::string>{"00011 00021 (Mode C, P1->P3)", "00012 00019 (Mode C, P2->P3)"}));

    page = blankPage();
    at = 10;
    addPairs(page, at, 13, 8);
    sharedStatistics().run(page, 12);
    EXPECT_EQ(sharedStatistics().lines(), std::vector<std::string>{"00013 00004"});
}

TEST(PulseStatistics, LongSpacingsGetBarsSortToggleAndTheFileHoldsTheShownOrder)
{
    // 23 pulses 1 ms apart: spacing m ms is seen 23 - m times.
    uint16_t* page = blankPage();
    for (int k = 0; k < 23; ++k) page[5000 + 2000 * k] = 100;
    TempDir tmp;
    ExplorerRig rig;
    rig.explorer.setDataDir(tmp.dir());
    const std::vector<uint16_t> copy(page, page + kPageValues);
    rig.explorer.liveFeed(copy.data(), kPageValues);
    rig.explorer.sbliveClick(false);
    rig.explorer.runAnalysis();

    const PulseStatistics& st = sharedStatistics();
    EXPECT_EQ(st.topMicroseconds(), 1000);
    EXPECT_EQ(st.hits(), 22);
    std::vector<std::string> produced;
    for (int m = 1; m <= 12; ++m) {
        char head[16];
        std::snprintf(head, sizeof head, "%05d %05d ", 23 - m, 1000 * m);
        produced.push_back(head + dots(int(roundHalfEven(100 * (23 - m), 22))));
    }
    EXPECT_EQ(produced.front(), "00022 01000 " + dots(100));
    EXPECT_EQ(produced.back(), "00011 12000 " + dots(50));
    EXPECT_EQ(st.producedLines(), produced);
    std::vector<std::string> sorted(produced.rbegin(), produced.rend());
    EXPECT_EQ(st.lines(), sorted);
    rig.explorer.sortClick();
    EXPECT_EQ(st.lines(), produced);
    rig.explorer.sortClick();
    EXPECT_EQ(st.lines(), sorted);
    rig.explorer.sortClick();

    rig.explorer.setSquelch(20);
    rig.explorer.saveStatistics();
    EXPECT_EQ(rig.explorer.status(kStatePanel), "Statistics file saved.");
    const std::string name = tmp.dir() + "varnock_stats_2026-01-01-000000.txt";
    std::ifstream f(name, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(f)), {});
    std::string expected = "SISEX statistic analysis .... Squelch position : 20\r\nDirectory: " + tmp.dir() +
                           "\r\n==========================================\r\nTopscorer: 1000 microsecs; hits: 22\r\n\r\n";
    for (const std::string& line : produced) expected += line + "\r\n";
    EXPECT_EQ(text, expected);

    rig.explorer.setDataDir(tmp.dir() + "gone");
    rig.explorer.saveStatistics();
    EXPECT_EQ(rig.ui.errors.size(), 1u);
}

TEST(PulseStatistics, CountersStopAtTheirLargestValue)
{
    // 68,000 groups of three pulses (0, 1, 2 us), one beginning and one end 2 us apart in each:
    // the 2 us count far exceeds 16 bits (a wrapped counter would show 2464).
    uint16_t* page = blankPage();
    for (int k = 0; k < 68000; ++k)
        for (int i : {0, 2, 4}) page[100 + 15 * k + i] = 100;
    sharedStatistics().run(page, 12);
    EXPECT_EQ(sharedStatistics().count(4), 65535);
    EXPECT_EQ(sharedStatistics().count(5), 0);
    EXPECT_EQ(sharedStatistics().producedLines().front(), "65535 00002");
}

TEST(PulseStatistics, ModeSFramesAtAFixedIntervalGiveThatIntervalAsTopScorer)
{
    // 150 identical squitters 3 ms apart, as received.
    std::vector<synth::PlacedFrame> frames;
    for (int k = 0; k < 150; ++k) {
        synth::PlacedFrame f;
        f.frame = synth::esIdentification(0x4840D6, "KLM1023");
        f.sample = 2000 + 6000 * k;
        f.amplitude = 80;
        frames.push_back(f);
    }
    const auto iq = synth::renderTestBuffer(frames, 1.0, 7);
    uint16_t* page = sharedRing().page(0);
    computeMagnitudes(iq.data(), page, kPageValues);
    sharedStatistics().run(page, 12);
    // Beginnings and ends of the same frame pattern pair up a few samples off the frame interval.
    EXPECT_NEAR(sharedStatistics().topMicroseconds(), 3000, 3);
    EXPECT_GE(sharedStatistics().hits(), 149);
    // The preamble's pulses at 0 and 4.5 us: one pair per frame at least.
    bool preamble = false;
    for (const std::string& line : sharedStatistics().lines())
        if (line.substr(6) == "00004" && std::stoi(line.substr(0, 5)) >= 150) preamble = true;
    EXPECT_TRUE(preamble);
}

TEST(PulseStatistics, AModeACPageShowsTheReplyPulseGrid)
{
    // Half a second of the Mode A/C sky at 2,068,965 S/s, replies at every arrival phase.
    synth::ModeACScenario sky;
    std::vector<uint8_t> iq(2 * size_t(kPageValues));
    sky.renderBuffer(0, iq.data());
    uint16_t* page = sharedRing().page(0);
    computeMagnitudes(iq.data(), page, kPageValues);
    sharedStatistics().run(page, 12);

    // Spacings are counted in samples; at this rate the 1.45 us pulse grid is every third one.
    std::vector<std::pair<int, int>> bySpacing;
    for (int a = kShortFirst; a <= kShortLast; ++a) bySpacing.push_back({sharedStatistics().count(a), a});
    std::sort(bySpacing.rbegin(), bySpacing.rend());
    std::vector<int> top, offGrid;
    for (int i = 0; i < 6; ++i) top.push_back(bySpacing[size_t(i)].second);
    std::copy_if(top.begin(), top.end(), std::back_inserter(offGrid), [](int a) { return a % 3 != 0; });
    EXPECT_TRUE(offGrid.empty()) << ::testing::PrintToString(top);
    EXPECT_GE(bySpacing[5].first, 100); // the grid stands well clear of the noise
}

} // namespace
} // namespace varnock::sisex::test
