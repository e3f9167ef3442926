// ReplayDriver: the deterministic timeline of replays and end-to-end tests.
#include "core/replay_driver.h"

#include "core/clock.h"
#include "core/receiver.h"

namespace varnock {

ReplayDriver::ReplayDriver(Receiver& rx, VirtualClock& clock) : rx_(rx), clock_(clock), start_(clock.utcMs()) {}

void ReplayDriver::runRound()
{
    clock_.setUtcMs(start_ + nextRound_ * kRoundMs);
    rx_.datacntrTimer(blocks_);
    blocks_ = 0;
    ++nextRound_;
}

void ReplayDriver::feed(const uint8_t* buffer)
{
    ++buffers_;
    const int64_t t = static_cast<int64_t>(buffers_) * kBufferMs;
    while (nextRound_ * kRoundMs < t) runRound();
    clock_.setUtcMs(start_ + t);
    blocks_ += kBlocksPerBuffer;
    rx_.audiotimerTimer(buffer);
}

void ReplayDriver::finish()
{
    if (buffers_ == 0) return;
    const int64_t last = static_cast<int64_t>(buffers_) * kBufferMs;
    do {
        runRound();
    } while ((nextRound_ - 1) * kRoundMs < last);
}

} // namespace varnock
