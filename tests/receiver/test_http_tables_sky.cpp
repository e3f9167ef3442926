// HTTP tables over a table filled by the demo sky: every line keeps its field count.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "receiver/replay_driver.h"
#include "demod/magnitude.h"
#include "flights/http_tables.h"
#include "synth/scenario.h"

using namespace varnock;

namespace {

std::vector<std::string> lines(const std::string& body)
{
    std::vector<std::string> out;
    std::size_t p = 0;
    while (p < body.size()) {
        std::size_t e = body.find('\n', p);
        EXPECT_NE(e, std::string::npos) << "unterminated last line";
        if (e == std::string::npos) break;
        out.push_back(body.substr(p, e - p));
        p = e + 1;
    }
    return out;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ':')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

} // namespace

TEST(HttpTablesSky, EveryLineHasItsFieldCount)
{
    synth::Scenario sky{synth::demoSkyParams(5)};
    VirtualClock clock;
    NullLineSink sink;
    auto rx = std::make_unique<Receiver>(clock, sink);
    rx->controls.sblist = false;
    ReplayDriver driver(*rx, clock);
    std::vector<uint8_t> buf(kBytesPerBuffer);
    for (uint64_t n = 0; n < 24; ++n) {
        sky.renderBuffer(n, buf.data());
        driver.feed(buf.data());
    }
    driver.finish();
    const int inUse = rx->table.countInUse();
    ASSERT_GE(inUse, 10);

    HttpPageInputs in;
    in.config.stationId = "ST1";
    const auto t1 = lines(httpTableText(1, rx->httpSources(), in));
    const auto t2 = lines(httpTableText(2, rx->httpSources(), in));
    const auto t3 = lines(httpTableText(3, rx->httpSources(), in));
    ASSERT_EQ(t1.size(), static_cast<std::size_t>(inUse));
    ASSERT_EQ(t2.size(), t1.size());
    ASSERT_EQ(t3.size(), t1.size());

    int withPosition = 0, withWind = 0, withTemperature = 0, withAges = 0;
    for (std::size_t i = 0; i < t2.size(); ++i) {
        const auto f1 = fields(t1[i]);
        const auto f2 = fields(t2[i]);
        const auto f3 = fields(t3[i]);
        ASSERT_EQ(f1.size(), 13u) << t1[i];
        ASSERT_EQ(f2.size(), 84u) << t2[i];
        ASSERT_EQ(f3.size(), 8u) << t3[i];
        EXPECT_EQ(f1[3], f2[0]);
        EXPECT_EQ(f3[0], f2[0]);
        EXPECT_EQ(f2[83], "ST1");
        EXPECT_EQ(f2[44], "");
        EXPECT_LE(f2[8].size(), 8u);
        EXPECT_LE(f2[9].size(), 9u);
        withPosition += !f2[8].empty();
        withWind += !f2[56].empty();
        withTemperature += !f2[58].empty();
        withAges += std::any_of(f2.begin() + 59, f2.begin() + 81, [](const std::string& s) { return !s.empty(); });
        for (const std::string& hex : {f3[2], f3[5], f3[6], f3[7]})
            EXPECT_TRUE(hex.empty() || hex.size() == 28u) << t3[i];
    }
    EXPECT_GT(withPosition, 0);
    EXPECT_GT(withWind, 0);
    EXPECT_GT(withTemperature, 0);
    EXPECT_EQ(withAges, inUse);
}
