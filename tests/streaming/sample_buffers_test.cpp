// Tests of SampleBuffers: rotation, block placement, odd block lengths and the coalesced hand-off.
#include "streaming/sample_buffers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace varnock {
namespace {

constexpr std::size_t kB = SampleBuffers::kBufferBytes;
constexpr std::size_t kBlock = SampleBuffers::kBlockBytes;

// A byte that differs between neighbouring positions and between buffers.
uint8_t streamByte(std::size_t g)
{
    return static_cast<uint8_t>(g ^ (g >> 8) ^ (g >> 16) ^ (g >> 24));
}

class CountingNotifier final : public BufferReadyNotifier {
public:
    void bufferReady() noexcept override { ++calls; }
    int calls = 0;
};

// Feeds `total` bytes of the stream in blocks of `len`, each in an allocation of exactly its size so
// that ASan catches any read past a block. Returns the number of calls.
std::size_t feed(SampleBuffers& sb, std::size_t& pos, std::size_t total, std::size_t len)
{
    std::size_t calls = 0;
    const std::size_t end = pos + total;
    while (pos < end) {
        const std::size_t n = std::min(len, end - pos);
        auto block = std::make_unique<uint8_t[]>(n);
        for (std::size_t i = 0; i < n; ++i)
            block[i] = streamByte(pos + i);
        sb.onBlock(block.get(), n);
        pos += n;
        ++calls;
    }
    return calls;
}

void feedBlocks(SampleBuffers& sb, int count)
{
    std::vector<uint8_t> block(kBlock, 0x80);
    for (int i = 0; i < count; ++i)
        sb.onBlock(block.data(), block.size());
}

TEST(SampleBuffers, RotatesReadyAndWriteIndexTogether)
{
    SampleBuffers sb;
    EXPECT_EQ(sb.readyIndex(), -1);
    EXPECT_EQ(sb.writeIndex(), 0);
    struct Step { int ready, write; };
    const Step steps[] = {{0, 1}, {1, 2}, {2, 0}, {0, 1}};
    for (const Step& s : steps) {
        feedBlocks(sb, 250);
        EXPECT_EQ(sb.readyIndex(), s.ready);
        EXPECT_EQ(sb.writeIndex(), s.write);
        EXPECT_EQ(sb.fillOffset(), 0u);
    }
}

TEST(SampleBuffers, NothingReadyBefore250BlocksAndOffsetWrapsExactlyAtFull)
{
    SampleBuffers sb;
    CountingNotifier n;
    sb.setNotifier(&n);
    std::vector<uint8_t> block(kBlock, 0x80);
    for (std::size_t i = 1; i < 250; ++i) {
        sb.onBlock(block.data(), block.size());
        ASSERT_EQ(sb.fillOffset(), i * kBlock);
    }
    EXPECT_EQ(sb.readyIndex(), -1);
    EXPECT_EQ(sb.takeReady(), -1);
    EXPECT_EQ(n.calls, 0);

    sb.onBlock(block.data(), block.size());
    EXPECT_EQ(sb.fillOffset(), 0u);
    EXPECT_EQ(sb.readyIndex(), 0);
    EXPECT_EQ(n.calls, 1);
    EXPECT_EQ(sb.readAndResetBlockCounter(), 250u);
    EXPECT_EQ(sb.blockCounter(), 0u);
}

// Blocks of any length are copied as delivered; a buffer is handed off only when completely written,
// and what did not fit continues at the start of the next buffer.
TEST(SampleBuffers, AnyBlockLengthKeepsTheStreamContiguous)
{
    struct Case { std::size_t blockLen, total; };
    const Case cases[] = {
        {kBlock, kB + 3 * kBlock},
        {1000, kB - 1000},     // one short block short of a full buffer
        {1000, kB},            // 2048 short blocks fill it exactly
        {777, 2 * kB + 5},     // odd length, straddles two boundaries
        {8191, kB + 8191},
        {8193, kB + 1},
        {kB, 2 * kB},
        {5000000, 5000000},    // one block completes two buffers at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "block " << c.blockLen << " total " << c.total);
        SampleBuffers sb;
        CountingNotifier n;
        sb.setNotifier(&n);
        std::size_t pos = 0;
        const std::size_t calls = feed(sb, pos, c.total, c.blockLen);

        const uint64_t done = c.total / kB;
        const std::size_t fill = c.total % kB;
        EXPECT_EQ(sb.blockCounter(), calls);
        EXPECT_EQ(sb.completedBuffers(), done);
        EXPECT_EQ(sb.fillOffset(), fill);
        EXPECT_EQ(sb.writeIndex(), static_cast<int>(done % 3));
        EXPECT_EQ(n.calls, done > 0 ? 1 : 0); // never taken, so later completions coalesce
        if (done == 0) {
            EXPECT_EQ(sb.takeReady(), -1);
            continue;
        }
        const int ready = sb.takeReady();
        ASSERT_EQ(ready, static_cast<int>((done - 1) % 3));
        const uint8_t* r = sb.buffer(ready);
        const std::size_t base = static_cast<std::size_t>(done - 1) * kB;
        std::size_t bad = 0;
        for (std::size_t i = 0; i < kB; ++i)
            bad += r[i] != streamByte(base + i);
        EXPECT_EQ(bad, 0u);
        const uint8_t* w = sb.buffer(sb.writeIndex());
        for (std::size_t i = 0; i < fill; ++i)
            bad += w[i] != streamByte(base + kB + i);
        EXPECT_EQ(bad, 0u);
    }
}

TEST(SampleBuffers, LateConsumerGetsOneNotificationAndTheNewestBuffer)
{
    SampleBuffers sb;
    CountingNotifier n;
    sb.setNotifier(&n);
    feedBlocks(sb, 3 * 250);
    EXPECT_EQ(n.calls, 1);
    EXPECT_EQ(sb.takeReady(), 2);
    EXPECT_EQ(sb.takeReady(), -1); // no second run on the same buffer

    feedBlocks(sb, 250);
    EXPECT_EQ(n.calls, 2);
    EXPECT_EQ(sb.takeReady(), 0);

    // A consumer that runs before the posted call arrives leaves that call nothing to do.
    feedBlocks(sb, 250);
    EXPECT_EQ(n.calls, 3);
    EXPECT_EQ(sb.readyIndex(), 1);
    EXPECT_EQ(sb.takeReady(), 1);
    EXPECT_EQ(sb.takeReady(), -1);
}

TEST(SampleBuffers, CountsEveryBufferTheConsumerSkipped)
{
    SampleBuffers sb;
    EXPECT_EQ(sb.takeReady(), -1);
    feedBlocks(sb, 250);
    EXPECT_EQ(sb.takeReady(), 0);
    EXPECT_EQ(sb.missedBuffers(), 0u); // one at a time: nothing missed

    // Four completions before the next take: the newest is read, three are lost.
    feedBlocks(sb, 4 * 250);
    EXPECT_EQ(sb.missedBuffers(), 0u); // counted when the consumer sees it
    EXPECT_EQ(sb.takeReady(), 1);
    EXPECT_EQ(sb.missedBuffers(), 3u);
    EXPECT_EQ(sb.takeReady(), -1);
    EXPECT_EQ(sb.missedBuffers(), 3u);

    feedBlocks(sb, 2 * 250 + 100);
    EXPECT_EQ(sb.takeReady(), 0);
    EXPECT_EQ(sb.missedBuffers(), 4u);
}

} // namespace
} // namespace varnock
