// Where "unknown" begins for each marker: the formatters and decoders all rely on these edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/unknown.h"

namespace varnock {
namespace {

TEST(Unknown, IntegerFieldsAreKnownFromMinus998)
{
    const struct {
        int64_t v;
        bool known, known5;
    } cases[] = {
        {0, true, true},           {-998, true, true},       {-999, false, true},  {-1000, false, true},
        {-9999, false, true},      {-99998, false, true},    {-99999, false, false}, {-100000, false, false},
        {INT32_MIN, false, false}, {INT32_MAX, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isKnown(c.v), c.known) << c.v;
        EXPECT_EQ(isKnown5(c.v), c.known5) << c.v;
        EXPECT_EQ(isKnown(static_cast<int32_t>(c.v)), c.known) << c.v;
        EXPECT_EQ(isKnown5(static_cast<int32_t>(c.v)), c.known5) << c.v;
    }
    EXPECT_FALSE(isKnown(kUnknown));
    EXPECT_FALSE(isKnown(kUnknownAlt));
    EXPECT_FALSE(isKnown5(kUnknownAlt));
}

TEST(Unknown, PositionsAreKnownAboveMinus999)
{
    EXPECT_TRUE(isKnown(-90.0));
    EXPECT_TRUE(isKnown(-998.5));
    EXPECT_TRUE(isKnown(-998.9999999));
    EXPECT_FALSE(isKnown(kUnknownPos));
    EXPECT_FALSE(isKnown(-1000.0));
    EXPECT_FALSE(isKnown(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(isKnown(-std::numeric_limits<double>::infinity()));
}

} // namespace
} // namespace varnock
