// Decimal texts: padded integers against printf, which they replace on the per-frame paths, and doubles.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <cstdio>
#include <string>

#include "core/decimal_text.h"

namespace varnock {
namespace {

TEST(DecimalText, MatchesPrintfForZeroAndSpacePadding)
{
    const int values[] = {0, 1, 7, 9, 10, 42, 99, 100, 359, 999, 1000, 12345, -1, -5, -42, -999, -1000,
                          INT_MAX, INT_MIN};
    for (int width = 0; width <= 6; ++width) {
        for (int v : values) {
            char zero[32], space[32];
            std::snprintf(zero, sizeof zero, "%0*d", width, v);
            std::snprintf(space, sizeof space, "%*d", width, v);
            std::string a, b;
            appendPaddedInt(a, v, width, '0');
            appendPaddedInt(b, v, width, ' ');
            EXPECT_EQ(a, zero) << v << " width " << width;
            EXPECT_EQ(b, space) << v << " width " << width;
        }
    }
}

TEST(DecimalText, PlainIntegersAtTheLimits)
{
    std::string s;
    for (int64_t v : {int64_t(0), int64_t(-999), std::numeric_limits<int64_t>::max(),
                      std::numeric_limits<int64_t>::min()}) {
        appendDecimalInt(s, v);
        s += ' ';
    }
    EXPECT_EQ(s, "0 -999 9223372036854775807 -9223372036854775808 ");
}

TEST(DecimalText, DoublesInFixedNotationWhateverTheirSize)
{
    struct Case { double v; const char* text; };
    const Case cases[] = {
        {0.0, "0"}, {-0.0, "0"}, {52.2572, "52.2572"}, {-0.5, "-0.5"},
        {0.0000763, "0.0000763"}, {-1e-9, "-0.000000001"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1000000000000000"},
        {-1e20, "-100000000000000000000"},
        {123456789012345678.0, "123456789012346000"}, // 15 significant digits, then zeros
        {std::numeric_limits<double>::infinity(), "inf"},
    };
    for (const Case& c : cases) {
        std::string s = "<";
        appendDecimal15(s, c.v);
        EXPECT_EQ(s, std::string("<") + c.text) << c.text;
    }
}

} // namespace
} // namespace varnock
