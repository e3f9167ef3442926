// TickStats: how long the processing ticks took and how many buffers they missed, for a stats file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace varnock {

// Durations are kept for the ticks since the last summary (the newest kWindow of them for the
// median; the worst over all). No allocation while recording.
class TickStats {
public:
    static constexpr std::size_t kWindow = 1024;

    void recordTick(uint32_t micros);

    // Lines "name value" for the ticks since the previous call, then starts a new window.
    // Totals are the caller's: buffers completed and missed since the start.
    std::string takeSummary(uint64_t buffersCompleted, uint64_t buffersMissed);

private:
    std::array<uint32_t, kWindow> window_{};
    std::size_t count_ = 0; // ticks in this window, may exceed kWindow
    uint32_t worst_ = 0;
    uint64_t ticks_ = 0; // since the start
};

// Writes `text` to `path` through a temporary file and a rename, so a reader never sees half of
// it. False (and errno set) when it could not.
bool writeFileWhole(const std::string& path, const std::string& text);

} // namespace varnock
