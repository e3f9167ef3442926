// ReplayDriver: the deterministic timeline of replays and end-to-end tests.
#include "receiver/replay_driver.h"

#include "core/clock.h"
#include "receiver/receiver.h"

namespace varnock {

ReplayDriver::ReplayDriver(Receiver& rx, VirtualClock& clock, int64_t sampleRate)
    : rx_(rx), clock_(clock), sampleRate_(sampleRate > 0 ? sampleRate : 2000000), startMs_(clock.utcMs())
{
}

int64_t ReplayDriver::bufferEndUs(uint64_t n) const
{
    // Exact in 64 bits for any realistic n: 1,024,000 x 10^6 x n stays below 2^63 up to n ~ 9 x 10^6.
    return static_cast<int64_t>(n) * 1024000LL * 1000000LL / sampleRate_;
}

void ReplayDriver::runRound()
{
    clock_.setUtcMs(startMs_ + nextRound_ * kRoundUs / 1000);
    rx_.datacntrTimer(blocks_);
    blocks_ = 0;
    ++nextRound_;
}

void ReplayDriver::feed(const uint8_t* buffer)
{
    ++buffers_;
    const int64_t t = bufferEndUs(buffers_);
    while (nextRound_ * kRoundUs < t) runRound();
    clock_.setUtcMs(startMs_ + t / 1000);
    blocks_ += kBlocksPerBuffer;
    rx_.audiotimerTimer(buffer);
}

void ReplayDriver::finish()
{
    if (buffers_ == 0) return;
    const int64_t last = bufferEndUs(buffers_);
    do {
        runRound();
    } while ((nextRound_ - 1) * kRoundUs < last);
}

} // namespace varnock
