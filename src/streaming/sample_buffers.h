// SampleBuffers: the three raw I/Q buffers the streaming thread fills and the hand-off of each full one.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace varnock {

// Called on the streaming thread when a buffer completes and no earlier hand-off is still pending.
// It must not block, allocate or lock: post a queued call to the main thread and return.
class BufferReadyNotifier {
public:
    virtual ~BufferReadyNotifier() = default;
    virtual void bufferReady() noexcept = 0;
};

// Who touches what
//   Streaming thread (inside the read callback, onBlock): copies into the buffer being filled,
//     owns the write index and the fill offset, publishes each completion, bumps the block counter.
//   Main thread: takeReady() and reads buffer(readyIndex); reads and zeroes the block counter.
//   Nothing is locked.
//
// Memory ordering
//   A completion is published by storing the completion count after the last byte of the buffer is
//   copied; takeReady() loads it, so the bytes of the buffer it names are visible to the main
//   thread. The pending flag and the completion count form a store/load pair on two threads, so
//   both sides use sequentially consistent operations: otherwise a completion racing with
//   takeReady() could be left with neither a notification nor a visible index. The block counter
//   and the diagnostic write index / fill offset are relaxed; a lost count is harmless.
//
// When the tick is late
//   Completions that arrive while a hand-off is pending send no further notification: the next
//   takeReady() returns only the newest completed buffer and the ones before it are dropped, never
//   queued; they are counted (missedBuffers()). While the main thread reads the ready buffer the
//   streaming thread fills the next one, and the one after that; only then is the ready buffer
//   written again. That leaves about 1 s at 2 Msps: a tick that runs later than that may read a buffer that is being overwritten. There is
//   no guard against it; the design relies on timing, the tick being far quicker than a buffer.
class SampleBuffers {
public:
    static constexpr std::size_t kBufferCount = 3;
    static constexpr std::size_t kBufferBytes = 2048000; // 1,024,000 I/Q pairs
    static constexpr std::size_t kPairsPerBuffer = kBufferBytes / 2;
    static constexpr std::size_t kBlockBytes = 8192; // requested from the library per callback

    SampleBuffers();
    SampleBuffers(const SampleBuffers&) = delete;
    SampleBuffers& operator=(const SampleBuffers&) = delete;

    void setNotifier(BufferReadyNotifier* notifier) { notifier_ = notifier; } // before streaming starts

    // Streaming thread: one library block, of whatever length it came in.
    void onBlock(const uint8_t* data, std::size_t len) noexcept;

    // Main thread: clears the pending hand-off and returns the newest completed buffer, or -1 when
    // no buffer has completed since the last call (or ever).
    int takeReady() noexcept;

    // Newest completed buffer, -1 before the first completion; does not touch the hand-off.
    int readyIndex() const noexcept;

    const uint8_t* buffer(int index) const noexcept { return buffers_[static_cast<std::size_t>(index)].get(); }

    // The statistics round reads this every 2 s; readAndResetBlockCounter() loses no count.
    uint32_t blockCounter() const noexcept { return blockCounter_.load(std::memory_order_relaxed); }
    uint32_t readAndResetBlockCounter() noexcept { return blockCounter_.exchange(0, std::memory_order_relaxed); }

    // Diagnostics; exact only when the streaming thread is not running.
    int writeIndex() const noexcept { return writeIndex_.load(std::memory_order_relaxed); }
    std::size_t fillOffset() const noexcept { return fillOffset_.load(std::memory_order_relaxed); }
    uint64_t completedBuffers() const noexcept { return completed_.load(std::memory_order_seq_cst); }

    // Completed buffers that takeReady() skipped because a newer one had completed: each one is
    // half a second of sky the tick never saw. Counted by takeReady(), so it lags until the next one.
    uint64_t missedBuffers() const noexcept { return missed_.load(std::memory_order_relaxed); }

private:
    void completeBuffer() noexcept;

    std::unique_ptr<uint8_t[]> buffers_[kBufferCount];
    BufferReadyNotifier* notifier_ = nullptr;

    // Written by the streaming thread only.
    std::atomic<int> writeIndex_{0};
    std::atomic<std::size_t> fillOffset_{0};
    // Number of completed buffers. Buffer n (1-based) is buffer (n - 1) mod 3, so the ready index
    // and whether it is new are published in one store.
    std::atomic<uint64_t> completed_{0};
    std::atomic<bool> pending_{false};
    std::atomic<uint32_t> blockCounter_{0};

    // Main thread only: the completion count seen by the last takeReady().
    uint64_t taken_ = 0;
    // Written by takeReady() only; atomic so that any thread may read it.
    std::atomic<uint64_t> missed_{0};
};

} // namespace varnock
