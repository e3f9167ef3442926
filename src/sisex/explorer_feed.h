// The explorer as the processing tick sees it: whether it wants magnitudes, and the hand-off.
#pragma once

#include <cstdint>

namespace varnock::sisex {

class ExplorerFeed {
public:
    virtual ~ExplorerFeed() = default;
    // True while the explorer window is visible and its live button is down.
    virtual bool wantsLiveFeed() const = 0;
    // One buffer of magnitudes before clipping (count 1,024,000); the values are copied at once.
    virtual void liveFeed(const uint16_t* values, int count) = 0;
};

} // namespace varnock::sisex
