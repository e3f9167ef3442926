// Frequency range search: the searches against tuners with known limits, fake and simulated.
#include "app/frequency_search.h"

#include <algorithm>

#include "test_device_support.h"

namespace varnock {
namespace {

using test::DeviceFixture;
using test::setEnv;

// Accepts [lo, hi] except the refused band [gapLo, gapHi]; records every probe.
struct Tuner {
    uint32_t lo = 0, hi = UINT32_MAX, gapLo = 1, gapHi = 0;
    std::vector<uint32_t> probes;
};
Tuner* g_tuner = nullptr;

int fakeSetFreq(rtlsdr_dev_t*, uint32_t f)
{
    g_tuner->probes.push_back(f);
    const bool ok = f >= g_tuner->lo && f <= g_tuner->hi && !(f >= g_tuner->gapLo && f <= g_tuner->gapHi);
    return ok ? 0 : -22;
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

TEST(FrequencyRangeSearch, ReportsPerTunerType)
{
    struct Case {
        const char* name;
        int type;
        Tuner tuner;
        std::vector<std::string> reports;
    };
    const std::vector<Case> cases = {
        {"E4000 accepting all", 1, {},
         {"Cannot set freq:0", "Cannot set freq:0", "First L-gap freq set: \"1300001 kHz\"",
          "Last L-gap freq set: \"999999 kHz\"", "Cannot set freq:0", "Cannot set freq:0"}},
        {"E4000 52..2200 MHz with a gap", 1, {52000000, 2200000000u, 1100000001, 1249999999},
         {"First VHF freq set: \"51989 kHz\"", "Last UHF freq set: \"2200000 kHz\"",
          "First L-gap freq set: \"1100001 kHz\"", "Last L-gap freq set: \"1249999 kHz\"",
          "First HF freq set: \"14999 kHz", "Last HF freq set: \"9999 kHz\""}},
        {"R820T accepting all", 5, {}, {"Lowest tuner freq set: \"10 kHz\"", "Highest HF freq set: \"1999000 kHz\""}},
        {"R820T 24..1766 MHz", 5, {24000000, 1766000000},
         {"Lowest tuner freq set: \"22010 kHz\"", "Highest HF freq set: \"1769000 kHz\""}},
        {"type 0 has no search", 0, {}, {}},
        {"FC0013 has no search", 3, {}, {}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> want = c.reports;
        want.insert(want.begin(), kBegin);
        want.push_back(kEnd);
        EXPECT_EQ(search(c.tuner, c.type), want);
    }
}

TEST(FrequencyRangeSearch, DownwardStepsStopAtZeroHertz)
{
    // From 42 MHz in 10 MHz steps the fifth would pass below 0; it probes 0 instead.
    Tuner t{2000000, 1766000000};
    Tuner all;
    for (Tuner* tuner : {&t, &all}) {
        const std::vector<std::string> out = search(*tuner, 5);
        EXPECT_EQ(out[1], "Lowest tuner freq set: \"10 kHz\"");
        EXPECT_LE(*std::max_element(tuner->probes.begin(), tuner->probes.end()), 2000000000u);
        EXPECT_NE(std::find(tuner->probes.begin(), tuner->probes.end(), 0u), tuner->probes.end());
    }
}

#ifdef VARNOCK_SIMDONGLE_LIB

TEST_F(DeviceFixture, MaxMinRunsOnTheSimulatedTunerAndTunesBack)
{
    struct Case {
        const char* tuner;
        const char* fmin;
        const char* fmax;
        std::vector<std::string> reports;
    };
    const std::vector<Case> cases = {
        {"1", "52000000", "2200000000",
         {"First VHF freq set: \"51989 kHz\"", "Last UHF freq set: \"2200000 kHz\"",
          "First L-gap freq set: \"1100001 kHz\"", "Last L-gap freq set: \"1249999 kHz\"",
          "First HF freq set: \"14999 kHz", "Last HF freq set: \"9999 kHz\""}},
        {"5", "24000000", "1766000000", {"Lowest tuner freq set: \"22010 kHz\"", "Highest HF freq set: \"1769000 kHz\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tuner);
        setEnv("VARNOCK_SIM_0_TUNER", c.tuner);
        setEnv("VARNOCK_SIM_0_FMIN", c.fmin);
        setEnv("VARNOCK_SIM_0_FMAX", c.fmax);
        setEnv("VARNOCK_SIM_0_GAPMIN", "1100000001");
        setEnv("VARNOCK_SIM_0_GAPMAX", "1249999999");
        makeWithFreePorts();

        device->BitBtn4Click(); // not running yet: nothing
        EXPECT_TRUE(lines().empty());

        start();
        ASSERT_TRUE(st().started);
        clearList();
        device->BitBtn4Click();
        std::vector<std::string> want = c.reports;
        want.insert(want.begin(), kBegin);
        want.push_back(kEnd);
        want.push_back("Freq set: \"1090000000 Hz\"");
        EXPECT_EQ(lines(), want);
        EXPECT_EQ(st().panel1, PanelColour::Black);
        device.reset();
        engine.reset();
    }
}

#endif // VARNOCK_SIMDONGLE_LIB

} // namespace
} // namespace varnock
