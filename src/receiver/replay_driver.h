// ReplayDriver: runs a Receiver over buffers on the virtual clock, as the live timers would.
#pragma once

#include <cstdint>

namespace varnock {

class Receiver;
class VirtualClock;

// Buffer n (counting from 1) completes n x 1,024,000 samples after the start (512 ms at 2 Msps,
// about 495 ms at 2,068,965 S/s); the 2 s round fires at every multiple of 2000 ms, after a buffer
// due at the same instant. 250 blocks are counted per buffer.
class ReplayDriver {
public:
    ReplayDriver(Receiver& rx, VirtualClock& clock, int64_t sampleRate = 2000000);

    void feed(const uint8_t* buffer);
    // Runs the rounds up to and including the first one at or after the last buffer, so the last
    // buffer's frames are decoded.
    void finish();

    uint64_t buffers() const { return buffers_; }
    // Rounds run so far.
    int64_t rounds() const { return nextRound_ - 1; }

    static constexpr int64_t kRoundUs = 2000000;
    static constexpr uint32_t kBlocksPerBuffer = 250;

    // Completion time of buffer n (from 1), in microseconds after the start.
    int64_t bufferEndUs(uint64_t n) const;

private:
    void runRound();

    Receiver& rx_;
    VirtualClock& clock_;
    int64_t sampleRate_;
    int64_t startMs_;
    uint64_t buffers_ = 0;
    int64_t nextRound_ = 1;
    uint32_t blocks_ = 0;
};

} // namespace varnock
