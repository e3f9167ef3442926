// Tests of the simulated dongle's sample delivery: scenario and file sources, cancel, pace, test mode.
#include "streaming/test_simdongle_support.h"

#include "streaming/sample_buffers.h"
#include "streaming/streaming_thread.h"

#include "synth/modeac_scenario.h"
#include "synth/scenario.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace varnock::test {
namespace {

using SimDongleStream = SimDongleTest;
constexpr size_t kBufferBytes = 2 * synth::kBufferPairs;
constexpr auto kGenerous = std::chrono::seconds(120);

// What the callback sees, shared with the test thread.
struct Reader {
    const RtlSdrApi* api = nullptr;
    rtlsdr_dev_t* dev = nullptr;
    size_t keepBytes = 0;     // collect this many bytes ...
    bool cancelWhenFull = false; // ... then cancel from inside the callback, as the streaming thread does
    bool closeInCallback = false;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint8_t> bytes;
    size_t blocks = 0;
    size_t callsAfterCancel = 0;
    std::vector<uint32_t> lengths;
    bool cancelled = false;
    bool returned = false;
    int result = 1;

    static void callback(unsigned char* buf, uint32_t len, void* ctx)
    {
        auto* self = static_cast<Reader*>(ctx);
        bool cancelNow = false;
        {
            std::lock_guard lock(self->mutex);
            if (self->cancelled)
                ++self->callsAfterCancel;
            ++self->blocks;
            if (self->lengths.empty() || self->lengths.back() != len) // the distinct lengths, in order
                self->lengths.push_back(len);
            const size_t take = std::min<size_t>(len, self->keepBytes - std::min(self->keepBytes, self->bytes.size()));
            self->bytes.insert(self->bytes.end(), buf, buf + take);
            if (self->bytes.size() == self->keepBytes && (self->cancelWhenFull || self->closeInCallback) &&
                !self->cancelled) {
                self->cancelled = true;
                cancelNow = true;
            }
        }
        self->changed.notify_all();
        if (cancelNow) {
            if (self->closeInCallback)
                EXPECT_EQ(self->api->close(self->dev), 0);
            else
                EXPECT_EQ(self->api->cancel_async(self->dev), 0);
        }
    }

    template <typename Pred>
    bool waitFor(Pred pred)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kGenerous, [&] { return pred(); });
    }
};

// Runs read_async on a thread of its own, as the program does.
class ReadThread {
public:
    ReadThread(Reader& r, uint32_t bufLen)
        : reader_(r), thread_([&r, bufLen] {
              const int result = r.api->read_async(r.dev, &Reader::callback, &r, 0, bufLen);
              {
                  std::lock_guard lock(r.mutex);
                  r.result = result;
                  r.returned = true;
              }
              r.changed.notify_all();
          })
    {
    }
    ~ReadThread()
    {
        // A read that never ends would hang the join: cancel it and let the expectation fail.
        if (!reader_.waitFor([&] { return reader_.returned; })) {
            ADD_FAILURE() << "read_async did not return";
            reader_.api->cancel_async(reader_.dev);
        }
        thread_.join();
    }

private:
    Reader& reader_;
    std::thread thread_;
};

// aircraft: 0 the demo sky, else the busy sky with that many aircraft.
std::vector<uint8_t> scenarioBuffer(bool modeAC, uint64_t seed, uint64_t n, int aircraft = 0)
{
    std::vector<uint8_t> out(kBufferBytes);
    if (modeAC) {
        synth::ModeACScenarioParams p;
        p.seed = seed;
        synth::ModeACScenario(p).renderBuffer(n, out.data());
    } else if (aircraft == 0) {
        synth::Scenario(synth::demoSkyParams(seed)).renderBuffer(n, out.data());
    } else {
        synth::ScenarioParams p = synth::busySkyParams(seed);
        p.groundCount = p.groundCount * aircraft / p.aircraftCount;
        p.aircraftCount = aircraft;
        synth::Scenario(p).renderBuffer(n, out.data());
    }
    return out;
}

TEST_F(SimDongleStream, ScenarioSourcesDeliverTheirBuffersUntilCancelled)
{
    struct Case {
        const char* source;
        uint32_t rate;
        bool modeAC;
        int aircraft = 0;
    };
    const Case cases[] = {
        {"demo", 2'000'000, false},
        {"demo", 2'068'965, true}, // the demo follows the program into Mode A/C
        {"modeac", 2'000'000, true},
        {"busy", 2'000'000, false, 100},
        {"busy2000", 2'000'000, false, 2000},
        {"busy2000", 2'068'965, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " at " + std::to_string(c.rate));
        clearSimEnvironment();
        set("VARNOCK_SIM_PACE", "fast");
        set("VARNOCK_SIM_SOURCE", c.source);
        set("VARNOCK_SIM_SEED", "3");
        Reader r;
        r.api = &api();
        r.dev = open();
        ASSERT_NE(r.dev, nullptr);
        ASSERT_EQ(api().set_sample_rate(r.dev, c.rate), 0);
        ASSERT_EQ(api().reset_buffer(r.dev), 0);
        r.keepBytes = 2 * kBufferBytes;
        r.cancelWhenFull = true;
        { ReadThread t(r, 8192); }

        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.blocks, 500u);
        EXPECT_EQ(r.callsAfterCancel, 0u);
        EXPECT_EQ(r.lengths, std::vector<uint32_t>{8192});
        ASSERT_EQ(r.bytes.size(), 2 * kBufferBytes);
        EXPECT_TRUE(std::equal(r.bytes.begin(), r.bytes.begin() + kBufferBytes,
                               scenarioBuffer(c.modeAC, 3, 0, c.aircraft).begin()));
        EXPECT_TRUE(std::equal(r.bytes.begin() + kBufferBytes, r.bytes.end(),
                               scenarioBuffer(c.modeAC, 3, 1, c.aircraft).begin()));
    }
}

// The program's own streaming thread on the simulated dongle: the first SampleBuffer is scenario buffer 0.
TEST_F(SimDongleStream, StreamingThreadFillsSampleBuffersFromTheDemoSky)
{
    set("VARNOCK_SIM_PACE", "fast");
    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    ASSERT_EQ(api().set_sample_rate(dev, 2'000'000), 0);

    struct StopAtFirst final : BufferReadyNotifier {
        StreamingThread* thread = nullptr;
        std::mutex mutex;
        std::condition_variable changed;
        bool ready = false;
        void bufferReady() noexcept override
        {
            thread->requestStop(); // keeps buffer 0 from being overwritten
            std::lock_guard lock(mutex);
            ready = true;
            changed.notify_all();
        }
    } notifier;
    auto buffers = std::make_unique<SampleBuffers>();
    StreamingThread thread;
    notifier.thread = &thread;
    buffers->setNotifier(&notifier);
    ASSERT_TRUE(thread.start(api(), dev, *buffers));
    {
        std::unique_lock lock(notifier.mutex);
        EXPECT_TRUE(notifier.changed.wait_for(lock, kGenerous, [&] { return notifier.ready; }));
    }
    thread.requestStop();
    thread.join();
    EXPECT_FALSE(thread.running());
    ASSERT_EQ(buffers->takeReady(), 0);
    const std::vector<uint8_t> expected = scenarioBuffer(false, 1, 0);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffers->buffer(0)));
    EXPECT_LE(buffers->fillOffset(), SampleBuffers::kBlockBytes); // at most one block after the stop
}

TEST_F(SimDongleStream, CancelFromAnotherThreadEndsTheReadAtEitherPace)
{
    for (const char* pace : {"fast", "real"}) {
        SCOPED_TRACE(pace);
        set("VARNOCK_SIM_PACE", pace);
        Reader r;
        r.api = &api();
        r.dev = open();
        ASSERT_NE(r.dev, nullptr);
        {
            ReadThread t(r, 0); // the library's default block
            ASSERT_TRUE(r.waitFor([&] { return r.blocks >= 3; }));
            EXPECT_EQ(api().cancel_async(r.dev), 0);
        }
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.lengths.front(), 16u * 32u * 512u);
        const size_t blocks = r.blocks;
        EXPECT_EQ(api().cancel_async(r.dev), -2); // nothing left to cancel
        EXPECT_EQ(r.blocks, blocks);
    }
}

TEST_F(SimDongleStream, CloseInsideTheCallbackEndsTheReadAndTheHandle)
{
    set("VARNOCK_SIM_PACE", "fast");
    Reader r;
    r.api = &api();
    rtlsdr_dev_t* dev = nullptr;
    ASSERT_EQ(api().open(&dev, 0), 0); // closed by the callback, not by the fixture
    r.dev = dev;
    r.keepBytes = 8192;
    r.closeInCallback = true;
    { ReadThread t(r, 8192); }
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.blocks, 1u);
    EXPECT_EQ(api().get_tuner_type(dev), RTLSDR_TUNER_UNKNOWN);
}

TEST_F(SimDongleStream, RealPaceNeverRunsAheadOfTheSampleRate)
{
    set("VARNOCK_SIM_PACE", "real");
    Reader r;
    r.api = &api();
    r.dev = open();
    ASSERT_NE(r.dev, nullptr);
    ASSERT_EQ(api().set_sample_rate(r.dev, 2'000'000), 0);
    r.keepBytes = 50 * 8192; // 204,800 pairs: 102.4 ms of signal
    r.cancelWhenFull = true;
    const auto start = std::chrono::steady_clock::now();
    { ReadThread t(r, 8192); }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(102'400));
    EXPECT_EQ(r.blocks, 50u);
}

TEST_F(SimDongleStream, FileSourceLoopsAtItsEnd)
{
    const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "varnock-simdongle-loop.iq";
    std::vector<uint8_t> content(1000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = uint8_t(i * 7);
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
    std::fclose(f);

    set("VARNOCK_SIM_PACE", "fast");
    set("VARNOCK_SIM_SOURCE", file.string());
    Reader r;
    r.api = &api();
    r.dev = open();
    ASSERT_NE(r.dev, nullptr);
    r.keepBytes = 3 * 8192;
    r.cancelWhenFull = true;
    { ReadThread t(r, 8192); }
    EXPECT_EQ(r.result, 0);
    ASSERT_EQ(r.bytes.size(), 3u * 8192u);
    for (size_t i = 0; i < r.bytes.size(); ++i)
        ASSERT_EQ(r.bytes[i], content[i % content.size()]) << i;
    std::filesystem::remove(file);
}

TEST_F(SimDongleStream, UnreadableSourceFailsTheReadWithoutCallbacks)
{
    const std::filesystem::path empty = std::filesystem::path(::testing::TempDir()) / "varnock-simdongle-empty.iq";
    std::fclose(std::fopen(empty.c_str(), "wb"));
    for (const std::string& source : {std::string("/nonexistent/varnock/capture.iq"), empty.string()}) {
        SCOPED_TRACE(source);
        set("VARNOCK_SIM_SOURCE", source);
        rtlsdr_dev_t* dev = open();
        ASSERT_NE(dev, nullptr);
        int calls = 0;
        EXPECT_LT(api().read_async(dev, [](unsigned char*, uint32_t, void* ctx) { ++*static_cast<int*>(ctx); }, &calls, 0,
                                   8192),
                  0);
        EXPECT_EQ(calls, 0);
        uint8_t buf[512];
        int got = -1;
        EXPECT_LT(api().read_sync(dev, buf, sizeof buf, &got), 0);
        EXPECT_EQ(got, 0);
        close(dev);
    }
    std::filesystem::remove(empty);
}

TEST_F(SimDongleStream, ReadArgumentsAndNestedReadsAreRefused)
{
    set("VARNOCK_SIM_PACE", "fast");
    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(api().read_async(dev, nullptr, nullptr, 0, 8192), -1);
    auto never = [](unsigned char*, uint32_t, void*) { ADD_FAILURE() << "callback of a refused read"; };
    EXPECT_EQ(api().read_async(dev, never, nullptr, 0, 1000), -1); // not a multiple of 512
    EXPECT_EQ(api().read_sync(dev, nullptr, 512, nullptr), -1);

    struct Nested {
        const RtlSdrApi* api;
        rtlsdr_dev_t* dev;
        int inner = 1;
    } nested{&api(), dev};
    const int outer = api().read_async(
        dev,
        [](unsigned char*, uint32_t, void* ctx) {
            auto* n = static_cast<Nested*>(ctx);
            uint8_t buf[512];
            n->inner = n->api->read_sync(n->dev, buf, sizeof buf, nullptr);
            n->api->cancel_async(n->dev);
        },
        &nested, 0, 8192);
    EXPECT_EQ(outer, 0);
    EXPECT_LT(nested.inner, 0);
}

TEST_F(SimDongleStream, TestModeDeliversACounter)
{
    set("VARNOCK_SIM_PACE", "fast");
    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    ASSERT_EQ(api().set_testmode(dev, 1), 0);
    std::vector<uint8_t> buf(700);
    int got = 0;
    uint8_t expected = 0;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(api().read_sync(dev, buf.data(), int(buf.size()), &got), 0);
        ASSERT_EQ(got, int(buf.size()));
        for (const uint8_t b : buf)
            ASSERT_EQ(b, expected++);
    }
}

} // namespace
} // namespace varnock::test
