// Frequency range search: every reported edge against tuners with known limits, fake and simulated.
#include "app/frequency_search.h"

#include <algorithm>
#include <optional>

#include "test_device_support.h"

namespace varnock {
namespace {

using test::DeviceFixture;
using test::setEnv;

// Accepts [lo, hi] except the refused band [gapLo, gapHi]; records every probe.
struct Tuner {
    uint32_t lo = 0, hi = UINT32_MAX, gapLo = 1, gapHi = 0;
    std::vector<uint32_t> probes;

    bool accepts(uint32_t f) const { return f >= lo && f <= hi && !(f >= gapLo && f <= gapHi); }
};
Tuner* g_tuner = nullptr;

int fakeSetFreq(rtlsdr_dev_t*, uint32_t f)
{
    g_tuner->probes.push_back(f);
    return g_tuner->accepts(f) ? 0 : -22;
}

std::vector<std::string> search(Tuner& t, int tunerType)
{
    g_tuner = &t;
    RtlSdrApi api;
    api.set_center_freq = fakeSetFreq;
    std::vector<std::string> out;
    FrequencyRangeSearch(api, nullptr, tunerType, [&](const std::string& l) { out.push_back(l); });
    g_tuner = nullptr;
    return out;
}

const std::string kBegin = "Searching frequencies...please wait...";
const std::string kEnd = "Max/min/gap search completed...";

// What one report line claims: its frequency is accepted (or refused, for a gap edge) and the
// other answer lies within one step of it, on the side named.
struct Edge {
    const char* label;
    bool closingQuote;
    bool accepted; // the reported frequency's own answer
    int64_t toOther; // signed step to the nearest frequency with the other answer
};
const Edge kE4000Edges[] = {
    {"First VHF freq set: ", true, true, -1000},  {"Last UHF freq set: ", true, true, 1000},
    {"First L-gap freq set: ", true, false, -1000}, {"Last L-gap freq set: ", true, false, 1000},
    {"First HF freq set: ", false, true, -1000},  {"Last HF freq set: ", true, true, 1000},
};
const Edge kR820TEdges[] = {
    {"Lowest tuner freq set: ", true, true, -10000},
    {"Highest HF freq set: ", true, true, 1000000},
};

// The frequency of a report line, or nothing when it is not `edge`'s report.
std::optional<uint32_t> reported(const std::string& line, const Edge& e)
{
    const std::string head = std::string(e.label) + "\"";
    const std::string tail = e.closingQuote ? " kHz\"" : " kHz";
    if (line.rfind(head, 0) != 0 || line.size() < head.size() + tail.size() + 1 ||
        line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
        return std::nullopt;
    const std::string digits = line.substr(head.size(), line.size() - head.size() - tail.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return static_cast<uint32_t>(std::stoull(digits) * 1000);
}

// Checks the report lines of one search against the tuner's limits. `expected[i]` is the true edge
// that search i must find (its first frequency with the reported answer, counted from the side the
// other answer lies on), or nothing when the line must be "Cannot set freq:".
template <std::size_t N>
void expectEdges(const std::vector<std::string>& out, const Tuner& t, const Edge (&edges)[N],
                 const std::vector<std::optional<uint32_t>>& expected)
{
    ASSERT_EQ(out.size(), N + 2) << ::testing::PrintToString(out);
    EXPECT_EQ(out.front(), kBegin);
    EXPECT_EQ(out.back(), kEnd);
    for (std::size_t i = 0; i < N; ++i) {
        const Edge& e = edges[i];
        const std::string& line = out[i + 1];
        SCOPED_TRACE(line);
        if (!expected[i]) {
            EXPECT_EQ(line.rfind("Cannot set freq:", 0), 0u);
            continue;
        }
        const std::optional<uint32_t> f = reported(line, e);
        ASSERT_TRUE(f) << "not a " << e.label << "report";
        EXPECT_EQ(t.accepts(*f), e.accepted);
        EXPECT_NE(std::find(t.probes.begin(), t.probes.end(), *f), t.probes.end()) << "never probed";
        // The true edge lies between the reported frequency and one step towards the other side.
        const int64_t truth = *expected[i];
        const int64_t near = *f, far = int64_t(*f) + e.toOther;
        EXPECT_TRUE(e.toOther < 0 ? (truth <= near && truth > far) : (truth >= near && truth < far))
            << "true edge " << truth << " Hz";
    }
}

TEST(FrequencyRangeSearch, E4000EdgesAreProbedAndWithinOneStep)
{
    using O = std::optional<uint32_t>;
    const O none;
    struct Case {
        const char* name;
        Tuner tuner;
        std::vector<O> edges; // First VHF, Last UHF, First L-gap, Last L-gap, First HF, Last HF
    };
    const std::vector<Case> cases = {
        {"52..2200 MHz, L gap", {52000000, 2200000000u, 1100000001, 1249999999},
         {O(52000000), O(2200000000u), O(1100000001), O(1249999999), none, none}},
        {"odd limits", {51234567, 2123456789, 1111111111, 1222222222},
         {O(51234567), O(2123456789), O(1111111111), O(1222222222), none, none}},
        {"limits on the coarse grid", {60000000, 1500000000, 1200000000, 1250000000},
         {O(60000000), O(1500000000), O(1200000000), O(1250000000), none, none}},
        {"an HF tuner", {12345678, 33333333}, {none, none, none, none, O(12345678), O(33333333)}},
        {"accepting all", {}, {none, none, none, none, none, none}},
        {"refusing all", {1, 0}, {none, none, none, none, none, none}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        expectEdges(search(c.tuner, 1), c.tuner, kE4000Edges, c.edges);
    }
}

TEST(FrequencyRangeSearch, R820TEdgesAreProbedAndWithinOneStep)
{
    using O = std::optional<uint32_t>;
    struct Case {
        const char* name;
        Tuner tuner;
        std::vector<O> edges; // lowest, highest
    };
    const std::vector<Case> cases = {
        {"24..1766 MHz", {24000000, 1766000000}, {O(24000000), O(1766000000)}},
        {"odd limits", {24003456, 1765432100}, {O(24003456), O(1765432100)}},
        {"a gap between the edges", {27654321, 1700000001, 1000000000, 1100000000}, {O(27654321), O(1700000001)}},
        {"low edge a few kHz above 0", {5000, 1999999999}, {O(5000), O(1999999999)}},
        // Nothing refused down to 0 Hz or up to 2 GHz: the last frequency probed is the edge.
        {"accepting all", {}, {O(0), O(2000000000)}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        expectEdges(search(c.tuner, 5), c.tuner, kR820TEdges, c.edges);
        EXPECT_LE(*std::max_element(c.tuner.probes.begin(), c.tuner.probes.end()), 2000000000u);
    }
}

TEST(FrequencyRangeSearch, KiloHertzInPlainDecimals)
{
    EXPECT_EQ(kiloHertzText(0), "0");
    EXPECT_EQ(kiloHertzText(2000000000), "2000000");
    EXPECT_EQ(kiloHertzText(1300001000), "1300001");
    EXPECT_EQ(kiloHertzText(51234567), "51234.567");
}

TEST(FrequencyRangeSearch, OtherTunersHaveNoSearch)
{
    for (int type : {0, 2, 3, 4, 6}) {
        Tuner t;
        EXPECT_EQ(search(t, type), (std::vector<std::string>{kBegin, kEnd})) << type;
        EXPECT_TRUE(t.probes.empty());
    }
}

#ifdef VARNOCK_SIMDONGLE_LIB

TEST_F(DeviceFixture, MaxMinOnTheSimulatedTunersAndTunesBack)
{
    using O = std::optional<uint32_t>;
    const O none;
    struct Case {
        const char* tuner;
        Tuner limits;
        std::vector<O> edges;
    };
    const std::vector<Case> cases = {
        {"1", {51234567, 2123456789, 1111111111, 1222222222},
         {O(51234567), O(2123456789), O(1111111111), O(1222222222), none, none}},
        {"5", {24003456, 1765432100}, {O(24003456), O(1765432100)}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.tuner);
        setEnv("VARNOCK_SIM_0_TUNER", c.tuner);
        setEnv("VARNOCK_SIM_0_FMIN", std::to_string(c.limits.lo));
        setEnv("VARNOCK_SIM_0_FMAX", std::to_string(c.limits.hi));
        setEnv("VARNOCK_SIM_0_GAPMIN", std::to_string(c.limits.gapLo));
        setEnv("VARNOCK_SIM_0_GAPMAX", std::to_string(c.limits.gapHi));
        makeWithFreePorts();

        device->BitBtn4Click(); // not running yet: nothing
        EXPECT_TRUE(lines().empty());

        start();
        ASSERT_TRUE(st().started);
        clearList();
        device->BitBtn4Click();
        std::vector<std::string> out = lines();
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.back(), "Freq set: \"1090000000 Hz\"");
        out.pop_back();
        // The simulated tuner's probes are not seen: every reported frequency counts as probed.
        for (const std::string& l : out) {
            for (const Edge& e : kE4000Edges)
                if (auto f = reported(l, e)) c.limits.probes.push_back(*f);
            for (const Edge& e : kR820TEdges)
                if (auto f = reported(l, e)) c.limits.probes.push_back(*f);
        }
        if (std::string(c.tuner) == "1")
            expectEdges(out, c.limits, kE4000Edges, c.edges);
        else
            expectEdges(out, c.limits, kR820TEdges, c.edges);
        EXPECT_EQ(st().panel1, PanelColour::Black);
        device.reset();
        engine.reset();
    }
}

#endif // VARNOCK_SIMDONGLE_LIB

} // namespace
} // namespace varnock
