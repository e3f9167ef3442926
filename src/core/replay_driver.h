// ReplayDriver: runs a Receiver over buffers on the virtual clock, as the live timers would.
#pragma once

#include <cstdint>

namespace varnock {

class Receiver;
class VirtualClock;

// Buffer n (counting from 1) completes at n x 512 ms after the start; the 2 s round fires at every
// multiple of 2000 ms, after a buffer due at the same instant. 250 blocks are counted per buffer.
class ReplayDriver {
public:
    ReplayDriver(Receiver& rx, VirtualClock& clock);

    void feed(const uint8_t* buffer);
    // Runs the rounds up to and including the first one at or after the last buffer, so the last
    // buffer's frames are decoded.
    void finish();

    uint64_t buffers() const { return buffers_; }

    static constexpr int64_t kBufferMs = 512;
    static constexpr int64_t kRoundMs = 2000;
    static constexpr uint32_t kBlocksPerBuffer = 250;

private:
    void runRound();

    Receiver& rx_;
    VirtualClock& clock_;
    int64_t start_;
    uint64_t buffers_ = 0;
    int64_t nextRound_ = 1;
    uint32_t blocks_ = 0;
};

} // namespace varnock
