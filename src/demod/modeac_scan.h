// ModeACScan: finds F1/F2 bracket pairs in a buffer of magnitudes and decodes Mode A/C replies.
#pragma once

#include <cstdint>

#include "core/command_line_options.h"
#include "demod/modeac_counts.h"
#include "demod/modeac_reply.h"
#include "demod/tick_counters.h"
#include "demod/tick_hooks.h"

namespace varnock {

// Sample offsets from F1 at 2,068,965 S/s, where 1.45 us is exactly three samples.
namespace modeac {
inline constexpr int kC1 = 3, kA1 = 6, kC2 = 9, kA2 = 12, kC4 = 15, kA4 = 18, kX = 21;
inline constexpr int kB1 = 24, kD1 = 27, kB2 = 30, kD2 = 33, kB4 = 36, kD4 = 39, kF2 = 42;
// A decoded F1 hides everything up to 45 samples after it.
inline constexpr int kSkipAfterReply = 45;
// First F1 position not examined: F1 at k still has its F2 at k + 42 inside the buffer.
inline constexpr int kScanEnd = 1023958;
} // namespace modeac

class ModeACScan final : public ModeACScanner {
public:
    // `counters` is the tick's (noise statistics, packet counter, clock, previous time);
    // `counts` the process-wide per-code counters.
    ModeACScan(TickCounters& counters, const CommandLineOptions& options, ModeACCodeCounts& counts,
               ModeACOutput* output = nullptr);

    void setOutput(ModeACOutput* out) { output_ = out; }

    // `m`: the 1,024,000 clipped magnitudes of the buffer; `noise`: its noise value.
    void scan(const uint16_t* m, int noise) override;

    // The current detector threshold: per buffer (classic) or per reply (`newp`).
    uint16_t threshold() const { return t_; }

private:
    bool detectClassic(const uint16_t* m, int& k) const;
    bool detectAlternative(const uint16_t* m, int& k);
    void decode(const uint16_t* m, int k);

    TickCounters& counters_;
    const CommandLineOptions& options_;
    ModeACCodeCounts& counts_;
    ModeACOutput* output_;
    uint16_t t_ = 0;
};

} // namespace varnock
