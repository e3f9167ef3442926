// The simulated dongle's device table (re-read from the environment) and its register of open handles.
#include "streaming/simdongle/sim_device.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace varnock::sim {

namespace {

constexpr size_t kNameBytes = 256;

struct DeviceTable {
    std::mutex mutex;
    int count = 0;
    std::array<DeviceConfig, kMaxDevices> configs;
    // Names are handed out as pointers, so each keeps its place; rewritten only when it changes.
    std::array<std::array<char, kNameBytes>, kMaxDevices> names{};
    std::vector<DevicePtr> open;
};

DeviceTable& table()
{
    static DeviceTable t;
    return t;
}

// Caller holds the table's mutex.
void reload(DeviceTable& t)
{
    t.count = deviceCountFromEnv();
    for (int i = 0; i < t.count; ++i) {
        DeviceConfig& c = t.configs[size_t(i)];
        c = deviceConfigFromEnv(i);
        std::array<char, kNameBytes> name{};
        std::memcpy(name.data(), c.name.data(), std::min(c.name.size(), kNameBytes - 1));
        if (name != t.names[size_t(i)])
            t.names[size_t(i)] = name;
    }
}

UsbStrings configuredStrings(const DeviceConfig& c)
{
    return UsbStrings{c.manufacturer, c.product, c.serial};
}

// What the chip finds in its EEPROM at power-up: the backing file when there is one, else the
// configured strings.
EepromImage initialEeprom(const DeviceConfig& c)
{
    if (!c.eepromFile.empty())
        if (auto image = loadEepromFile(c.eepromFile))
            return *image;
    return makeEepromImage(configuredStrings(c));
}

// The strings the device enumerates with: read from its EEPROM, like the real chip.
UsbStrings enumeratedStrings(const DeviceConfig& c, const EepromImage& image)
{
    if (!c.hasEeprom)
        return configuredStrings(c);
    return readUsbStrings(image).value_or(configuredStrings(c));
}

} // namespace

std::chrono::steady_clock::time_point Pacer::due(uint64_t bytes, uint32_t sampleRate)
{
    using namespace std::chrono;
    const auto now = steady_clock::now();
    if (sampleRate != rate_ || bytes_ == 0) {
        rate_ = sampleRate;
        start_ = now;
        bytes_ = 0;
    }
    const auto at = [&](uint64_t b) {
        return start_ + duration_cast<steady_clock::duration>(duration<double>(double(b) / (2.0 * rate_)));
    };
    bytes_ += bytes;
    // A reader that stalled for long gets a fresh start instead of a burst: a dongle drops, not queues.
    if (now - at(bytes_) > seconds(1)) {
        start_ = now;
        bytes_ = bytes;
    }
    return at(bytes_);
}

bool validSampleRate(uint32_t rate)
{
    return (rate > 225'000 && rate <= 300'000) || (rate > 900'000 && rate <= 3'200'000);
}

int deviceCount()
{
    DeviceTable& t = table();
    std::lock_guard lock(t.mutex);
    reload(t);
    return t.count;
}

const char* deviceName(uint32_t index)
{
    DeviceTable& t = table();
    std::lock_guard lock(t.mutex);
    reload(t);
    return index < uint32_t(t.count) ? t.names[index].data() : "";
}

std::optional<UsbStrings> deviceUsbStrings(uint32_t index)
{
    DeviceTable& t = table();
    std::lock_guard lock(t.mutex);
    reload(t);
    if (index >= uint32_t(t.count))
        return std::nullopt;
    const DeviceConfig& c = t.configs[index];
    return enumeratedStrings(c, initialEeprom(c));
}

int indexBySerial(const char* serial)
{
    if (serial == nullptr)
        return -1;
    const int count = deviceCount();
    if (count == 0)
        return -2;
    for (int i = 0; i < count; ++i) {
        const auto strings = deviceUsbStrings(uint32_t(i));
        if (strings && strings->serial == serial)
            return i;
    }
    return -3;
}

int openDevice(uint32_t index, rtlsdr_dev_t** out)
{
    if (out == nullptr)
        return -1;
    *out = nullptr;
    DeviceTable& t = table();
    std::lock_guard lock(t.mutex);
    reload(t);
    if (index >= uint32_t(t.count))
        return -1;
    auto dev = std::make_shared<rtlsdr_dev>(index, t.configs[index]);
    t.open.push_back(dev);
    *out = dev.get();
    return 0;
}

DevicePtr findDevice(const rtlsdr_dev_t* dev)
{
    if (dev == nullptr)
        return nullptr;
    DeviceTable& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = std::find_if(t.open.begin(), t.open.end(), [dev](const DevicePtr& d) { return d.get() == dev; });
    return it == t.open.end() ? nullptr : *it;
}

int closeDevice(rtlsdr_dev_t* handle)
{
    DevicePtr dev;
    {
        DeviceTable& t = table();
        std::lock_guard lock(t.mutex);
        const auto it =
            std::find_if(t.open.begin(), t.open.end(), [handle](const DevicePtr& d) { return d.get() == handle; });
        if (it == t.open.end())
            return -1;
        dev = *it;
        t.open.erase(it);
    }
    // A running read is cancelled and waited for, except from inside its own callback, where the
    // read ends as soon as the callback returns (the reader still holds the device).
    std::unique_lock lock(dev->mutex);
    if (dev->reading) {
        dev->cancelRequested = true;
        dev->changed.notify_all();
        if (dev->reader != std::this_thread::get_id())
            dev->changed.wait(lock, [&] { return !dev->reading; });
    }
    return 0;
}

} // namespace varnock::sim

rtlsdr_dev::rtlsdr_dev(uint32_t deviceIndex, varnock::sim::DeviceConfig cfg)
    : index(deviceIndex), config(std::move(cfg)),
      usb(varnock::sim::enumeratedStrings(config, varnock::sim::initialEeprom(config))),
      eeprom(varnock::sim::initialEeprom(config))
{
}
