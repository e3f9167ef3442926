// Tests of the engine: the buffer hand-off to the main thread, the streaming thread, the round, the sinks.
#include "app/engine.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "net/qt_test_support.h"

namespace varnock {
namespace {

using test::drainPostedEvents;
using test::waitUntil;

constexpr std::size_t kBlocksPerBuffer = SampleBuffers::kBufferBytes / SampleBuffers::kBlockBytes; // 250

// Records where and how often the tick ran (the tick opens the bracket once per buffer it finds).
class TickProbe final : public ListBracket {
public:
    void beginUpdate() override
    {
        ++ticks;
        if (std::this_thread::get_id() != mainThread)
            ++offMainThread;
    }
    void endUpdate() override {}
    std::thread::id mainThread = std::this_thread::get_id();
    int ticks = 0;
    int offMainThread = 0;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        engine = std::make_unique<Engine>(&clock);
        engine->datacntr.stop(); // rounds are run by hand here
        engine->receiver().tick.setListBracket(&probe);
    }
    // Completes `buffers` SampleBuffers from another thread, each filled with its own I value.
    void completeFromThread(int buffers, uint8_t firstValue)
    {
        std::thread feeder([&] {
            std::vector<uint8_t> block(SampleBuffers::kBlockBytes);
            for (int b = 0; b < buffers; ++b) {
                std::memset(block.data(), firstValue + b, block.size());
                for (std::size_t i = 0; i < kBlocksPerBuffer; ++i)
                    engine->buffers().onBlock(block.data(), block.size());
            }
        });
        feeder.join(); // the main thread runs no events meanwhile: a late tick
    }
    uint64_t buffersTicked() { return engine->receiver().tick.counters.bufferCounter(); }
    int firstMagnitude() { return engine->receiver().tick.magnitudes()[0]; }

    VirtualClock clock;
    TickProbe probe;
    std::unique_ptr<Engine> engine;
};

TEST_F(EngineTest, EachCompletedBufferTicksOnceOnTheMainThread)
{
    for (int i = 0; i < 3; ++i) {
        completeFromThread(1, static_cast<uint8_t>(138 + 10 * i));
        ASSERT_TRUE(waitUntil([&] { return buffersTicked() == uint64_t(i + 1); }));
        EXPECT_EQ(firstMagnitude(), 2 * (10 + 10 * i)); // |I-128| + |Q-128| of this buffer
    }
    drainPostedEvents();
    EXPECT_EQ(probe.ticks, 3);
    EXPECT_EQ(probe.offMainThread, 0);
    EXPECT_EQ(engine->handOffsRun(), 3u);
}

TEST_F(EngineTest, LateTickIsCoalescedOntoTheNewestBuffer)
{
    completeFromThread(3, 140); // buffers of 140, 141, 142: one hand-off only
    ASSERT_TRUE(waitUntil([&] { return buffersTicked() == 1; }));
    drainPostedEvents();
    EXPECT_EQ(engine->handOffsRun(), 1u);
    EXPECT_EQ(probe.ticks, 1);
    EXPECT_EQ(firstMagnitude(), 2 * 14);

    // The hand-off was taken, so the next completion posts again.
    completeFromThread(1, 150);
    ASSERT_TRUE(waitUntil([&] { return buffersTicked() == 2; }));
    EXPECT_EQ(firstMagnitude(), 2 * 22);
    drainPostedEvents();
    EXPECT_EQ(engine->handOffsRun(), 2u);
}

TEST_F(EngineTest, SkippedBuffersAreListedOnceAndWrittenToTheStatsFile)
{
    std::vector<std::string> lines;
    QObject::connect(engine.get(), &Engine::logLine, [&](const QString& t) { lines.push_back(t.toStdString()); });
    const std::string path = ::testing::TempDir() + "varnock_engine_stats.txt";
    std::remove(path.c_str());
    engine->setStatsFile(path);

    completeFromThread(4, 140); // one tick on the newest: three missed
    ASSERT_TRUE(waitUntil([&] { return buffersTicked() == 1; }));
    drainPostedEvents();
    EXPECT_EQ(engine->buffersMissed(), 3u);
    engine->datacntrTimer();
    engine->datacntrTimer(); // nothing new: no second line
    EXPECT_EQ(lines, std::vector<std::string>{"Buffers missed: 3"});

    for (int r = 2; r < Engine::kStatsRounds - 1; ++r)
        engine->datacntrTimer();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    engine->datacntrTimer();

    auto readStats = [&] {
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll().toStdString();
    };
    std::string text = readStats();
    const auto median = text.find("tick_median_us ");
    ASSERT_NE(median, std::string::npos);
    const std::string us = text.substr(median + 15, text.find('\n', median) - median - 15);
    EXPECT_EQ(text, "buffers_completed 4\nbuffers_missed 3\nticks 1\nwindow_ticks 1\ntick_median_us " + us +
                        "\ntick_worst_us " + us + "\n");

    // The next window starts empty; the totals carry on.
    completeFromThread(1, 150);
    ASSERT_TRUE(waitUntil([&] { return buffersTicked() == 2; }));
    drainPostedEvents();
    for (int r = 0; r < Engine::kStatsRounds; ++r)
        engine->datacntrTimer();
    text = readStats();
    EXPECT_EQ(text.substr(0, text.find("tick_median_us")),
              "buffers_completed 5\nbuffers_missed 3\nticks 2\nwindow_ticks 1\n");
    EXPECT_EQ(lines.size(), 1u);
    std::remove(path.c_str());
}

TEST_F(EngineTest, HandOffWithNothingReadyDoesNotTick)
{
    engine->audiotimerTimer();
    EXPECT_EQ(buffersTicked(), 0u);
    EXPECT_EQ(probe.ticks, 0);
}

// A fake library whose read delivers two full buffers, then empty blocks until it is cancelled.
std::atomic<bool> g_cancelled{false};
std::atomic<int> g_reads{0};

int fakeCancel(rtlsdr_dev_t*)
{
    g_cancelled.store(true);
    return 0;
}

int fakeReadAsync(rtlsdr_dev_t*, rtlsdr_read_async_cb_t cb, void* ctx, uint32_t, uint32_t len)
{
    g_reads.fetch_add(1);
    std::vector<unsigned char> block(len, 160);
    for (std::size_t i = 0; i < 2 * kBlocksPerBuffer && !g_cancelled.load(); ++i)
        cb(block.data(), len, ctx);
    // Idle but alive: empty blocks give the callback its chance to cancel.
    for (int guard = 0; guard < 20000 && !g_cancelled.load(); ++guard) {
        cb(block.data(), 0, ctx);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

TEST_F(EngineTest, StreamingThreadFeedsTheTickUntilStopped)
{
    RtlSdrApi api;
    api.read_async = &fakeReadAsync;
    api.cancel_async = &fakeCancel;
    g_cancelled = false;
    auto* device = reinterpret_cast<rtlsdr_dev_t*>(0x1);

    ASSERT_TRUE(engine->startStreaming(api, device));
    EXPECT_FALSE(engine->startStreaming(api, device)); // one thread at a time
    ASSERT_TRUE(waitUntil([&] { return engine->buffers().completedBuffers() == 2 && buffersTicked() >= 1; }));
    drainPostedEvents();
    EXPECT_GE(buffersTicked(), 1u);
    EXPECT_LE(buffersTicked(), 2u);
    EXPECT_EQ(firstMagnitude(), 2 * 32);
    EXPECT_EQ(probe.offMainThread, 0);

    engine->stopStreaming();
    ASSERT_TRUE(waitUntil([&] { return !engine->streaming(); }));
    engine->joinStreaming();
    EXPECT_TRUE(g_cancelled.load());

    // The tick stays off after a stop, even for a buffer that completes late.
    const uint64_t before = buffersTicked();
    completeFromThread(1, 170);
    drainPostedEvents();
    EXPECT_EQ(buffersTicked(), before);

    g_cancelled = false;
    ASSERT_TRUE(engine->startStreaming(api, device)); // after a join the thread can start again
    ASSERT_TRUE(waitUntil([&] { return buffersTicked() > before; }));
    engine->stopStreaming();
    engine->joinStreaming();
}

TEST_F(EngineTest, RoundTakesAndZeroesTheBlockCounter)
{
    EXPECT_EQ(Engine::kRoundMs, 2000);
    uint8_t block[SampleBuffers::kBlockBytes] = {};
    for (int i = 0; i < 5; ++i)
        engine->buffers().onBlock(block, sizeof block);
    engine->datacntrTimer();
    EXPECT_EQ(engine->buffers().blockCounter(), 0u);
    EXPECT_EQ(engine->receiver().round.panels.text[0], "2/sec "); // 5 blocks in 2 s, halves to even
}

TEST_F(EngineTest, ServersAreTheReceiversSinks)
{
    std::vector<QString> lines;
    QObject::connect(engine.get(), &Engine::logLine, [&](const QString& l) { lines.push_back(l); });
    ASSERT_EQ(engine->openServers(ServerPortPlan::ephemeral(), QHostAddress::LocalHost), "");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "TCP server port opened: " + QString::number(engine->servers().raw.port()));

    test::Client raw, sbs;
    ASSERT_TRUE(raw.connectTo(engine->servers().raw.port()));
    ASSERT_TRUE(sbs.connectTo(engine->servers().lines.port()));
    ASSERT_TRUE(waitUntil([&] {
        return engine->servers().raw.rawClientConnected() && engine->receiver().table.lineSink().anyLineClient();
    }));
    QUdpSocket target;
    ASSERT_TRUE(target.bind(QHostAddress::LocalHost, 0));
    engine->servers().udpOut.setTarget("127.0.0.1", target.localPort());
    engine->sbudpoutClick(true);

    engine->options().avr = true;
    RawFrame f;
    const uint8_t bytes[7] = {0x5D, 0x48, 0x40, 0xD6, 0x20, 0x2C, 0xC3};
    std::memcpy(f.bytes, bytes, 7);
    f.length = 7;
    f.df = 11;
    engine->receiver().rawOutput.emitModeSFrame(f);
    ASSERT_TRUE(raw.waitFor(18));
    EXPECT_EQ(raw.received, "*5D4840D6202CC3;\r\n");
    ASSERT_TRUE(waitUntil([&] { return target.hasPendingDatagrams(); }));
    EXPECT_EQ(target.receiveDatagram().data(), "*5D4840D6202CC3;\r\n");

    engine->receiver().table.lineSink().sendToLineClients("MSG,8\r\n");
    ASSERT_TRUE(sbs.waitFor(7));
    EXPECT_EQ(sbs.received, "MSG,8\r\n");
}

} // namespace
} // namespace varnock
