// Plug points of the processing tick, implemented below it: the list, the explorer, the Mode A/C scan.
#pragma once

#include <cstdint>

namespace varnock {

// Update bracket of the main window's list: lines added during one tick are painted once.
class ListBracket {
public:
    virtual ~ListBracket() = default;
    virtual void beginUpdate() = 0;
    virtual void endUpdate() = 0;
};

// The signals-in-space explorer's live tap: sees the unclipped magnitudes by reference.
class MagnitudeTap {
public:
    virtual ~MagnitudeTap() = default;
    virtual bool isLive() const = 0;
    virtual void onMagnitudes(const uint16_t* m, int count) = 0;
};

// The Mode A/C scan, run instead of the Mode-S scan while "MODE-AC" is down.
class ModeACScanner {
public:
    virtual ~ModeACScanner() = default;
    virtual void scan(const uint16_t* m, int noise) = 0;
};

} // namespace varnock
