// The simulated dongle's device list and open devices: the state behind each rtlsdr_dev_t handle.
#pragma once

#include "streaming/simdongle/sim_config.h"
#include "streaming/simdongle/sim_eeprom.h"
#include "streaming/simdongle/sim_source.h"

#include <rtl-sdr.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace varnock::sim {

inline constexpr uint32_t kDefaultXtal = 28'800'000;
inline constexpr uint32_t kInitialSampleRate = 2'048'000;

// Delivery times at a sample rate of 2 bytes per pair; re-anchored when the rate changes.
class Pacer {
public:
    std::chrono::steady_clock::time_point due(uint64_t bytes, uint32_t sampleRate);

private:
    std::chrono::steady_clock::time_point start_;
    uint64_t bytes_ = 0;
    uint32_t rate_ = 0;
};

bool validSampleRate(uint32_t rate);

} // namespace varnock::sim

// Completes the library header's opaque handle type. Members marked (m) are guarded by `mutex`.
struct rtlsdr_dev {
    rtlsdr_dev(uint32_t deviceIndex, varnock::sim::DeviceConfig cfg);

    const uint32_t index;
    const varnock::sim::DeviceConfig config; // as enumerated when opened
    const varnock::sim::UsbStrings usb;      // likewise: a rewritten EEPROM counts from the next open

    std::mutex mutex;
    std::condition_variable changed; // a cancel was requested, or a read ended

    varnock::sim::EepromImage eeprom{};         // (m)
    uint32_t centerFreq = 0;                    // (m)
    int ppm = 0;                                // (m)
    uint32_t sampleRate = varnock::sim::kInitialSampleRate; // (m)
    uint32_t rtlXtal = varnock::sim::kDefaultXtal;          // (m)
    uint32_t tunerXtal = varnock::sim::kDefaultXtal;        // (m)
    int gain = 0;                               // (m)
    bool manualGain = false;                    // (m)
    bool rtlAgc = false;                        // (m)
    bool testMode = false;                      // (m)
    int directSampling = 0;                     // (m)
    bool offsetTuning = false;                  // (m)
    uint32_t bandwidth = 0;                     // (m)
    bool biasTee = false;                       // (m)

    bool reading = false;         // (m) a read_async or read_sync is running
    bool cancelRequested = false; // (m)
    std::thread::id reader;       // (m)
    // Touched only by the thread that set `reading`.
    std::unique_ptr<varnock::sim::SampleSource> source;
    varnock::sim::Pacer pacer;
};

namespace varnock::sim {

using DevicePtr = std::shared_ptr<rtlsdr_dev>;

// Enumeration re-reads the environment each time, so one process can reconfigure between calls.
int deviceCount();
// The name stays at the same address for the life of the library; "" for a bad index.
const char* deviceName(uint32_t index);
std::optional<UsbStrings> deviceUsbStrings(uint32_t index);
int indexBySerial(const char* serial);

// 0, or -1 for a bad index.
int openDevice(uint32_t index, rtlsdr_dev_t** out);
// Refuses handles that are not open (never dereferences them); null then.
DevicePtr findDevice(const rtlsdr_dev_t* dev);
int closeDevice(rtlsdr_dev_t* dev);

int readAsync(const DevicePtr& dev, rtlsdr_read_async_cb_t cb, void* ctx, uint32_t bufNum, uint32_t bufLen);
int readSync(const DevicePtr& dev, void* buf, int len, int* nRead);
int cancelAsync(const DevicePtr& dev);

} // namespace varnock::sim
