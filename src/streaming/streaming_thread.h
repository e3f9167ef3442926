// StreamingThread: runs the library's asynchronous read on a thread of its own, feeding SampleBuffers.
#pragma once

#include "streaming/rtlsdr_api.h"
#include "streaming/sample_buffers.h"

#include <atomic>
#include <thread>

namespace varnock {

class StreamingThread {
public:
    StreamingThread() = default;
    ~StreamingThread(); // requests a stop and joins
    StreamingThread(const StreamingThread&) = delete;
    StreamingThread& operator=(const StreamingThread&) = delete;

    // Starts rtlsdr_read_async(device, callback, this, 0, 8192) on a new thread. False when a
    // thread is still running or joinable, or the table has no read_async / cancel_async.
    // api, device and buffers must outlive the thread.
    bool start(const RtlSdrApi& api, rtlsdr_dev_t* device, SampleBuffers& buffers);

    // Only sets the flag: the next callback cancels the read, and the read's return ends the thread.
    void requestStop() noexcept { stopRequested_.store(true, std::memory_order_release); }
    bool stopRequested() const noexcept { return stopRequested_.load(std::memory_order_acquire); }

    // True from start() until the read has returned.
    bool running() const noexcept { return running_.load(std::memory_order_acquire); }
    void join();

private:
    static void callback(unsigned char* buf, uint32_t len, void* ctx);
    void run();

    const RtlSdrApi* api_ = nullptr;
    rtlsdr_dev_t* device_ = nullptr;
    SampleBuffers* buffers_ = nullptr;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};
    bool cancelled_ = false; // streaming thread only
    std::thread thread_;
};

// The name the device start and stop code knows the streaming thread by.
using TMyOwnThread = StreamingThread;

} // namespace varnock
