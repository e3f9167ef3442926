// Tests of StreamingThread against a fake asynchronous read that runs until it is cancelled.
#include "streaming/streaming_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace varnock {
namespace {

// The fake library: plain functions, so the state they share is file-wide.
struct FakeDevice {
    std::mutex m;
    std::condition_variable cv;
    int pauseAfter = -1;       // blocks delivered before the read waits for `resume`
    bool paused = false;
    bool resume = false;
    int extraAfterCancel = 0;  // in-flight transfers still delivered after a cancel
    int failAfter = -1;        // the read returns on its own (device lost) after this many blocks
    std::atomic<bool> cancelled{false};
    std::atomic<int> cancelCalls{0};
    int delivered = 0;
    rtlsdr_dev_t* seenDevice = nullptr;
    void* seenCtx = nullptr;
    uint32_t seenBufNum = 99, seenBufLen = 0;
};
FakeDevice* g_fake = nullptr;

int fakeCancel(rtlsdr_dev_t*)
{
    g_fake->cancelCalls.fetch_add(1);
    g_fake->cancelled.store(true);
    return 0;
}

int fakeReadAsync(rtlsdr_dev_t* dev, rtlsdr_read_async_cb_t cb, void* ctx, uint32_t bufNum, uint32_t bufLen)
{
    FakeDevice& f = *g_fake;
    f.seenDevice = dev;
    f.seenCtx = ctx;
    f.seenBufNum = bufNum;
    f.seenBufLen = bufLen;
    std::vector<unsigned char> block(bufLen, 0x80);
    for (int guard = 0; guard < 100000; ++guard) { // a broken stop fails the test instead of hanging
        if (f.delivered == f.failAfter)
            return -5;
        if (f.cancelled.load()) {
            for (int i = 0; i < f.extraAfterCancel; ++i)
                cb(block.data(), bufLen, ctx);
            return 0;
        }
        if (f.delivered == f.pauseAfter) {
            std::unique_lock lock(f.m);
            f.paused = true;
            f.cv.notify_all();
            f.cv.wait(lock, [&] { return f.resume; });
        }
        cb(block.data(), bufLen, ctx);
        ++f.delivered;
    }
    return 0;
}

template <typename Pred>
bool waitFor(Pred pred)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class StreamingThreadTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_fake = &fake;
        api.read_async = &fakeReadAsync;
        api.cancel_async = &fakeCancel;
    }
    void TearDown() override { g_fake = nullptr; }

    // Lets the fake run `before` blocks, requests the stop while it is parked, then lets it go on.
    void stopAfter(StreamingThread& t, int before)
    {
        fake.pauseAfter = before;
        ASSERT_TRUE(t.start(api, device, buffers));
        {
            std::unique_lock lock(fake.m);
            ASSERT_TRUE(fake.cv.wait_for(lock, std::chrono::seconds(20), [&] { return fake.paused; }));
            t.requestStop();
            fake.resume = true;
        }
        fake.cv.notify_all();
        ASSERT_TRUE(waitFor([&] { return !t.running(); }));
        t.join();
    }

    FakeDevice fake;
    RtlSdrApi api;
    SampleBuffers buffers;
    rtlsdr_dev_t* device = reinterpret_cast<rtlsdr_dev_t*>(&fake);
};

TEST_F(StreamingThreadTest, AtMostOneBlockIsCopiedAfterStopIsRequested)
{
    for (int inFlight : {0, 4}) {
        SCOPED_TRACE(inFlight);
        fake.extraAfterCancel = inFlight;
        buffers.readAndResetBlockCounter();
        const std::size_t offsetBefore = buffers.fillOffset();
        StreamingThread t;
        stopAfter(t, 10);
        EXPECT_EQ(buffers.blockCounter(), 11u);
        EXPECT_EQ(buffers.fillOffset(), offsetBefore + 11 * SampleBuffers::kBlockBytes);
        EXPECT_EQ(fake.cancelCalls.load(), 1);
        EXPECT_EQ(fake.seenDevice, device);
        EXPECT_EQ(fake.seenCtx, &t);
        EXPECT_EQ(fake.seenBufNum, 0u); // the library's default number of transfers
        EXPECT_EQ(fake.seenBufLen, 8192u);
        // Next round: the same buffers continue where they stopped.
        fake.cancelled = false;
        fake.cancelCalls = 0;
        fake.paused = fake.resume = false;
        fake.delivered = 0;
    }
}

TEST_F(StreamingThreadTest, FullBuffersAreHandedOffWhileStreaming)
{
    struct Notifier final : BufferReadyNotifier {
        std::atomic<int> calls{0};
        void bufferReady() noexcept override { calls.fetch_add(1); }
    } notifier;
    buffers.setNotifier(&notifier);
    StreamingThread t;
    stopAfter(t, 600);
    EXPECT_EQ(buffers.completedBuffers(), 2u);
    EXPECT_EQ(notifier.calls.load(), 1);
    EXPECT_EQ(buffers.takeReady(), 1);
}

TEST_F(StreamingThreadTest, ThreadEndsWhenTheReadFailsOnItsOwn)
{
    fake.failAfter = 5;
    StreamingThread t;
    ASSERT_TRUE(t.start(api, device, buffers));
    ASSERT_TRUE(waitFor([&] { return !t.running(); }));
    t.join();
    EXPECT_EQ(buffers.blockCounter(), 5u);
    EXPECT_EQ(fake.cancelCalls.load(), 0);
}

TEST_F(StreamingThreadTest, RefusesASecondStartAndATableWithoutTheRead)
{
    StreamingThread t;
    RtlSdrApi empty;
    EXPECT_FALSE(t.start(empty, device, buffers));
    fake.pauseAfter = 1;
    ASSERT_TRUE(t.start(api, device, buffers));
    EXPECT_FALSE(t.start(api, device, buffers));
    {
        std::unique_lock lock(fake.m);
        ASSERT_TRUE(fake.cv.wait_for(lock, std::chrono::seconds(20), [&] { return fake.paused; }));
        fake.resume = true;
    }
    fake.cv.notify_all();
    // The destructor stops and joins.
}

TEST_F(StreamingThreadTest, DestructorStopsAndJoins)
{
    {
        StreamingThread t;
        ASSERT_TRUE(t.start(api, device, buffers));
        ASSERT_TRUE(waitFor([&] { return buffers.blockCounter() > 0; }));
    }
    EXPECT_EQ(fake.cancelCalls.load(), 1);
}

} // namespace
} // namespace varnock
