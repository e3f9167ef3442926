// The padded integer formatter against printf, which it replaces on the per-frame paths.
#include <gtest/gtest.h>

#include <climits>
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

} // namespace
} // namespace varnock
