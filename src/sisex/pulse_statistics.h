// Pulse statistics of one page: pulse map, edge-to-edge spacing counts, top scorer and list lines.
#pragma once

#include "sisex/page_geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace varnock::sisex {

inline constexpr int kShortFirst = 4, kShortLast = 120;
inline constexpr int kLongFirst = 2000, kLongLast = 40000;
// Last position p at which a pulse may begin for spacing a: p <= kLastPulseEnd - a.
inline constexpr int kLastPulseEnd = 1021949;

// The label of a short spacing of n whole microseconds.
const char* spacingLabel(int n);

class PulseStatistics {
public:
    // Allocates the pulse map and the counters once.
    PulseStatistics();

    // Analyses `page` (null: no page, an empty result) at `squelch`. `progress` receives the
    // status texts of the long run as they arise.
    void run(const uint16_t* page, int squelch, const std::function<void(const std::string&)>& progress = {});

    // Spacing count of a samples (a in 4..120 or 2000..40000). 16-bit, stopping at 65535.
    uint16_t count(int a) const;
    int topMicroseconds() const { return top_; }
    int hits() const { return hits_; }

    // The list as shown, and the order in which it was produced.
    const std::vector<std::string>& lines() const { return shown_; }
    const std::vector<std::string>& producedLines() const { return produced_; }
    bool sorted() const { return sorted_; }
    // "Sort": sorts an unsorted list, restores the order of production of a sorted one.
    void toggleSort();

    // The statistics file, lines ended by CR LF.
    std::string fileText(int squelch, const std::string& dataDir) const;

private:
    void countSpacings(const std::function<void(const std::string&)>& progress);
    void buildLines();

    std::unique_ptr<uint8_t[]> flags_;
    std::vector<int> starts_; // pulse beginnings: off two samples before, on here
    std::vector<int> ends_;   // pulse ends: on here, off two samples later
    std::unique_ptr<uint32_t[]> counts_; // indexed by spacing 0..kLongLast
    std::vector<std::string> produced_;
    std::vector<std::string> shown_;
    bool sorted_ = false;
    int top_ = 0;
    int hits_ = 0;
};

} // namespace varnock::sisex
