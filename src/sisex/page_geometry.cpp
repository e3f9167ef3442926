// Time texts of the explorer's status panels.
#include "sisex/page_geometry.h"

#include <cstdio>

namespace varnock::sisex {

std::string formatMs(int64_t ticks)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%0.3f", ticksToMs(ticks));
    return buf;
}

} // namespace varnock::sisex
