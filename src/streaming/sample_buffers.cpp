// SampleBuffers: block copying, buffer rotation and the coalesced hand-off to the main thread.
#include "streaming/sample_buffers.h"

#include <algorithm>
#include <cstring>

namespace varnock {

namespace {

int bufferOfCompletion(uint64_t completions) noexcept
{
    return completions == 0 ? -1 : static_cast<int>((completions - 1) % SampleBuffers::kBufferCount);
}

} // namespace

SampleBuffers::SampleBuffers()
{
    // One exact-sized allocation per buffer, so an overrun of any of them is caught by ASan.
    for (auto& b : buffers_)
        b = std::make_unique<uint8_t[]>(kBufferBytes);
}

void SampleBuffers::onBlock(const uint8_t* data, std::size_t len) noexcept
{
    if (data == nullptr)
        len = 0;
    std::size_t fill = fillOffset_.load(std::memory_order_relaxed);
    while (len > 0) {
        const int w = writeIndex_.load(std::memory_order_relaxed);
        const std::size_t n = std::min(len, kBufferBytes - fill);
        std::memcpy(buffers_[static_cast<std::size_t>(w)].get() + fill, data, n);
        data += n;
        len -= n;
        fill += n;
        if (fill == kBufferBytes) {
            fill = 0;
            fillOffset_.store(0, std::memory_order_relaxed);
            writeIndex_.store((w + 1) % static_cast<int>(kBufferCount), std::memory_order_relaxed);
            completeBuffer();
        }
    }
    fillOffset_.store(fill, std::memory_order_relaxed);
    blockCounter_.fetch_add(1, std::memory_order_relaxed);
}

void SampleBuffers::completeBuffer() noexcept
{
    completed_.fetch_add(1, std::memory_order_seq_cst);
    if (!pending_.exchange(true, std::memory_order_seq_cst) && notifier_ != nullptr)
        notifier_->bufferReady();
}

int SampleBuffers::takeReady() noexcept
{
    // Clear first: a completion after this point notifies again and is seen by the next call.
    pending_.store(false, std::memory_order_seq_cst);
    const uint64_t c = completed_.load(std::memory_order_seq_cst);
    if (c == taken_)
        return -1;
    if (c - taken_ > 1)
        missed_.fetch_add(c - taken_ - 1, std::memory_order_relaxed);
    taken_ = c;
    return bufferOfCompletion(c);
}

int SampleBuffers::readyIndex() const noexcept
{
    return bufferOfCompletion(completed_.load(std::memory_order_seq_cst));
}

} // namespace varnock
