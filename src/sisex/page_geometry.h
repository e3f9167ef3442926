// Page geometry of the explorer: rows, pages, the mouse time and the value-at-time rule.
#pragma once

#include <cstdint>
#include <string>

namespace varnock::sisex {

inline constexpr int kRowValues = 500;                    // 250 us, one value per 0.5 us
inline constexpr int kPageRows = 2048;                    // 512 ms
inline constexpr int kPageValues = kRowValues * kPageRows; // one magnitude buffer
inline constexpr int kPageCount = 20;
inline constexpr int kPageMs = 512;
inline constexpr int kPositionMax = 28;                   // page position track bar, 16 ms a step
inline constexpr int kScreenRows = 256;
inline constexpr int kOverviewRowsPerCell = 8;
inline constexpr int kPictureWidth = 1000;
inline constexpr int kPictureHeight = 512;

// Times within a page are kept in whole samples (0.5 us, "ticks") so that rows and columns are
// exact; 2000 ticks make a millisecond.
inline constexpr int64_t kTicksPerMs = 2000;
inline constexpr int64_t kTicksPerPosition = 16 * kTicksPerMs;

// Time in the page of picture pixel (x, y) at page position p: 16 p + 0.25 (y div 2) + 0.0005 (x div 2) ms.
inline int64_t mouseTicks(int x, int y, int position)
{
    return kTicksPerPosition * position + int64_t(kRowValues) * (y / 2) + x / 2;
}

// Index into the page of the value shown for time t: row trunc(4 t) + 1 (capped at the last row),
// column the rest; never outside the page.
inline int valueIndexAt(int64_t ticks)
{
    int64_t row = ticks / kRowValues + 1;
    const int64_t column = ticks % kRowValues;
    if (row > kPageRows - 1) row = kPageRows - 1;
    int64_t index = row * kRowValues + column;
    if (index < 0) index = 0;
    if (index > kPageValues - 1) index = kPageValues - 1;
    return int(index);
}

inline uint16_t valueAt(const uint16_t* page, int64_t ticks)
{
    return page[valueIndexAt(ticks)];
}

// Milliseconds with three decimals, as the status panels show times.
std::string formatMs(int64_t ticks);
inline double ticksToMs(int64_t ticks) { return double(ticks) / double(kTicksPerMs); }

// Nearest integer, halves to even (how values are shown to people).
inline int64_t roundHalfEven(int64_t num, int64_t den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1))) ++q;
    return q;
}

// A marker set by a click on the picture: its time in the page (0 = none) and where it was set,
// which the strip follows (start column, strip row, page position).
struct Marker {
    int64_t ticks = 0;
    int stripX = 0;
    int stripY = 0;
    int position = 0;
    bool isSet() const { return ticks != 0; }
};

} // namespace varnock::sisex
