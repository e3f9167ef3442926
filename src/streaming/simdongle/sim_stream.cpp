// The simulated dongle's sample delivery: the asynchronous read loop, its cancellation, and the plain read.
#include "streaming/simdongle/sim_device.h"

#include <cerrno>
#include <vector>

namespace varnock::sim {

namespace {

constexpr uint32_t kDefaultBlockBytes = 16 * 32 * 512;
constexpr uint32_t kBlockGranule = 512;
constexpr uint32_t kMaxBlockBytes = 16u << 20;

// Claims the device for one reader and gives it a source; 0, or an error code to return.
int beginReading(rtlsdr_dev& dev)
{
    std::lock_guard lock(dev.mutex);
    if (dev.reading)
        return -EBUSY;
    if (!dev.source)
        dev.source = std::make_unique<SampleSource>(dev.config.source, dev.config.seed);
    if (!dev.source->prepare())
        return -EIO;
    dev.reading = true;
    dev.cancelRequested = false;
    dev.reader = std::this_thread::get_id();
    return 0;
}

void endReading(rtlsdr_dev& dev)
{
    std::lock_guard lock(dev.mutex);
    dev.reading = false;
    dev.cancelRequested = false;
    dev.reader = std::thread::id();
    dev.changed.notify_all();
}

struct BlockSettings {
    uint32_t sampleRate;
    bool testMode;
    bool cancelled;
};

BlockSettings settings(rtlsdr_dev& dev)
{
    std::lock_guard lock(dev.mutex);
    return {dev.sampleRate, dev.testMode, dev.cancelRequested};
}

bool fillBlock(rtlsdr_dev& dev, const BlockSettings& s, uint8_t* out, size_t n)
{
    if (s.testMode) {
        dev.source->fillCounter(out, n);
        return true;
    }
    return dev.source->fill(out, n, s.sampleRate);
}

// Waits for the block's delivery time at real pace; false when a cancel came first.
bool waitForDelivery(rtlsdr_dev& dev, const BlockSettings& s, size_t n)
{
    if (dev.config.pace == Pace::Fast)
        return true;
    const auto due = dev.pacer.due(n, s.sampleRate);
    std::unique_lock lock(dev.mutex);
    return !dev.changed.wait_until(lock, due, [&] { return dev.cancelRequested; });
}

} // namespace

int readAsync(const DevicePtr& dev, rtlsdr_read_async_cb_t cb, void* ctx, uint32_t bufNum, uint32_t bufLen)
{
    // Nothing is kept in flight, so the transfer count only has to be acceptable.
    (void)bufNum;
    if (cb == nullptr)
        return -1;
    if (bufLen == 0)
        bufLen = kDefaultBlockBytes;
    if (bufLen % kBlockGranule != 0 || bufLen > kMaxBlockBytes)
        return -1;
    if (const int r = beginReading(*dev); r != 0)
        return r;

    std::vector<uint8_t> block(bufLen);
    int result = 0;
    for (;;) {
        const BlockSettings s = settings(*dev);
        if (s.cancelled)
            break;
        if (!fillBlock(*dev, s, block.data(), block.size())) {
            result = -EIO;
            break;
        }
        if (!waitForDelivery(*dev, s, block.size()))
            break;
        cb(block.data(), bufLen, ctx);
    }
    endReading(*dev);
    return result;
}

int readSync(const DevicePtr& dev, void* buf, int len, int* nRead)
{
    if (nRead != nullptr)
        *nRead = 0;
    if (buf == nullptr || len < 0)
        return -1;
    if (const int r = beginReading(*dev); r != 0)
        return r;
    const BlockSettings s = settings(*dev);
    int result = 0;
    if (!fillBlock(*dev, s, static_cast<uint8_t*>(buf), size_t(len))) {
        result = -EIO;
    } else {
        (void)waitForDelivery(*dev, s, size_t(len)); // a close cuts the wait short, not the data
        if (nRead != nullptr)
            *nRead = len;
    }
    endReading(*dev);
    return result;
}

int cancelAsync(const DevicePtr& dev)
{
    std::lock_guard lock(dev->mutex);
    if (!dev->reading)
        return -2;
    dev->cancelRequested = true;
    dev->changed.notify_all();
    return 0;
}

} // namespace varnock::sim
