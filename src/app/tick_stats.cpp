// TickStats: windowed tick durations and the whole-file writer.
#include "app/tick_stats.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace varnock {

void TickStats::recordTick(uint32_t micros)
{
    window_[count_ % kWindow] = micros;
    ++count_;
    ++ticks_;
    worst_ = std::max(worst_, micros);
}

std::string TickStats::takeSummary(uint64_t buffersCompleted, uint64_t buffersMissed)
{
    const std::size_t n = std::min(count_, kWindow);
    uint32_t median = 0;
    if (n > 0) {
        std::array<uint32_t, kWindow> sorted = window_;
        const auto mid = sorted.begin() + static_cast<std::ptrdiff_t>(n / 2);
        std::nth_element(sorted.begin(), mid, sorted.begin() + static_cast<std::ptrdiff_t>(n));
        median = *mid;
    }
    std::string s;
    s += "buffers_completed " + std::to_string(buffersCompleted) + "\n";
    s += "buffers_missed " + std::to_string(buffersMissed) + "\n";
    s += "ticks " + std::to_string(ticks_) + "\n";
    s += "window_ticks " + std::to_string(count_) + "\n";
    s += "tick_median_us " + std::to_string(median) + "\n";
    s += "tick_worst_us " + std::to_string(worst_) + "\n";
    count_ = 0;
    worst_ = 0;
    return s;
}

bool writeFileWhole(const std::string& path, const std::string& text)
{
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool wrote = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = std::fclose(f) == 0;
    if (!wrote || !closed || std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int why = errno;
        std::remove(tmp.c_str());
        errno = why;
        return false;
    }
    return true;
}

} // namespace varnock
