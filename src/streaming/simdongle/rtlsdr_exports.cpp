// The rtl-sdr C functions of the simulated dongle: argument checks, then the device state.
#include "streaming/simdongle/sim_device.h"

#include <rtl-sdr.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using varnock::sim::DevicePtr;
using varnock::sim::findDevice;

constexpr size_t kUsbStringBytes = 256; // what callers must provide per string

void copyUsbString(char* out, const std::string& s)
{
    if (out == nullptr)
        return;
    const size_t n = std::min(s.size(), kUsbStringBytes - 1);
    std::memcpy(out, s.data(), n);
    out[n] = '\0';
}

void copyUsbStrings(const varnock::sim::UsbStrings& s, char* manufact, char* product, char* serial)
{
    copyUsbString(manufact, s.manufacturer);
    copyUsbString(product, s.product);
    copyUsbString(serial, s.serial);
}

// Runs f(device) under the device's lock; `bad` when the handle is not an open device.
template <typename R, typename F>
R locked(rtlsdr_dev_t* handle, R bad, F f)
{
    const DevicePtr dev = findDevice(handle);
    if (!dev)
        return bad;
    std::lock_guard lock(dev->mutex);
    return f(*dev);
}

int nearestGain(const std::vector<int>& gains, int gain)
{
    int best = gains.front();
    for (const int g : gains)
        if (std::abs(g - gain) < std::abs(best - gain))
            best = g;
    return best;
}

int eepromCheck(const rtlsdr_dev& d, const uint8_t* data, uint8_t offset, uint16_t len)
{
    if (data == nullptr)
        return -1;
    if (!d.config.hasEeprom)
        return -3;
    if (size_t(offset) + len > varnock::sim::kEepromBytes)
        return -2;
    return 0;
}

} // namespace

extern "C" {

uint32_t rtlsdr_get_device_count(void)
{
    return uint32_t(varnock::sim::deviceCount());
}

const char* rtlsdr_get_device_name(uint32_t index)
{
    return varnock::sim::deviceName(index);
}

int rtlsdr_get_device_usb_strings(uint32_t index, char* manufact, char* product, char* serial)
{
    const auto strings = varnock::sim::deviceUsbStrings(index);
    if (!strings)
        return -1;
    copyUsbStrings(*strings, manufact, product, serial);
    return 0;
}

int rtlsdr_get_index_by_serial(const char* serial)
{
    return varnock::sim::indexBySerial(serial);
}

int rtlsdr_open(rtlsdr_dev_t** dev, uint32_t index)
{
    return varnock::sim::openDevice(index, dev);
}

int rtlsdr_close(rtlsdr_dev_t* dev)
{
    return varnock::sim::closeDevice(dev);
}

int rtlsdr_set_xtal_freq(rtlsdr_dev_t* dev, uint32_t rtl_freq, uint32_t tuner_freq)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        // 0 keeps a value; the RTL2832U takes its crystal within 1000 ppm of nominal.
        constexpr uint32_t kSpread = varnock::sim::kDefaultXtal / 1000;
        if (rtl_freq != 0 && (rtl_freq < varnock::sim::kDefaultXtal - kSpread ||
                              rtl_freq > varnock::sim::kDefaultXtal + kSpread))
            return -2;
        if (rtl_freq != 0)
            d.rtlXtal = rtl_freq;
        if (tuner_freq != 0)
            d.tunerXtal = tuner_freq;
        return 0;
    });
}

int rtlsdr_get_xtal_freq(rtlsdr_dev_t* dev, uint32_t* rtl_freq, uint32_t* tuner_freq)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (rtl_freq != nullptr)
            *rtl_freq = d.rtlXtal;
        if (tuner_freq != nullptr)
            *tuner_freq = d.tunerXtal;
        return 0;
    });
}

int rtlsdr_get_usb_strings(rtlsdr_dev_t* dev, char* manufact, char* product, char* serial)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        copyUsbStrings(d.usb, manufact, product, serial);
        return 0;
    });
}

int rtlsdr_write_eeprom(rtlsdr_dev_t* dev, uint8_t* data, uint8_t offset, uint16_t len)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (const int r = eepromCheck(d, data, offset, len); r != 0)
            return r;
        varnock::sim::EepromImage image = d.eeprom;
        std::memcpy(image.data() + offset, data, len);
        // The file is the EEPROM: when it cannot take the bytes, the write did not happen.
        if (!d.config.eepromFile.empty() && !varnock::sim::saveEepromFile(d.config.eepromFile, image))
            return -3;
        d.eeprom = image;
        return 0;
    });
}

int rtlsdr_read_eeprom(rtlsdr_dev_t* dev, uint8_t* data, uint8_t offset, uint16_t len)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (const int r = eepromCheck(d, data, offset, len); r != 0)
            return r;
        std::memcpy(data, d.eeprom.data() + offset, len);
        return 0;
    });
}

int rtlsdr_set_center_freq(rtlsdr_dev_t* dev, uint32_t freq)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (!d.config.range.accepts(freq))
            return -EINVAL; // the tuner's PLL does not lock there
        d.centerFreq = freq;
        return 0;
    });
}

uint32_t rtlsdr_get_center_freq(rtlsdr_dev_t* dev)
{
    return locked(dev, uint32_t(0), [](rtlsdr_dev& d) { return d.centerFreq; });
}

int rtlsdr_set_freq_correction(rtlsdr_dev_t* dev, int ppm)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        d.ppm = ppm;
        return 0;
    });
}

int rtlsdr_get_freq_correction(rtlsdr_dev_t* dev)
{
    return locked(dev, 0, [](rtlsdr_dev& d) { return d.ppm; });
}

enum rtlsdr_tuner rtlsdr_get_tuner_type(rtlsdr_dev_t* dev)
{
    return locked(dev, RTLSDR_TUNER_UNKNOWN, [](rtlsdr_dev& d) { return rtlsdr_tuner(d.config.tuner); });
}

int rtlsdr_get_tuner_gains(rtlsdr_dev_t* dev, int* gains)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        const std::vector<int>& g = d.config.gains;
        if (gains != nullptr)
            std::copy(g.begin(), g.end(), gains);
        return int(g.size());
    });
}

int rtlsdr_set_tuner_gain(rtlsdr_dev_t* dev, int gain)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (d.config.gains.empty())
            return -1;
        d.gain = nearestGain(d.config.gains, gain); // the tuner has steps, not a dial
        return 0;
    });
}

int rtlsdr_set_tuner_bandwidth(rtlsdr_dev_t* dev, uint32_t bw)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        d.bandwidth = bw;
        return 0;
    });
}

int rtlsdr_get_tuner_gain(rtlsdr_dev_t* dev)
{
    return locked(dev, 0, [](rtlsdr_dev& d) { return d.gain; });
}

int rtlsdr_set_tuner_if_gain(rtlsdr_dev_t* dev, int stage, int gain)
{
    (void)gain;
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        // Only the E4000 has separately set IF stages, six of them.
        return d.config.tuner == RTLSDR_TUNER_E4000 && stage >= 1 && stage <= 6 ? 0 : -1;
    });
}

int rtlsdr_set_tuner_gain_mode(rtlsdr_dev_t* dev, int manual)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        d.manualGain = manual != 0;
        return 0;
    });
}

int rtlsdr_set_sample_rate(rtlsdr_dev_t* dev, uint32_t rate)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (!varnock::sim::validSampleRate(rate))
            return -EINVAL;
        d.sampleRate = rate;
        return 0;
    });
}

uint32_t rtlsdr_get_sample_rate(rtlsdr_dev_t* dev)
{
    return locked(dev, uint32_t(0), [](rtlsdr_dev& d) { return d.sampleRate; });
}

int rtlsdr_set_testmode(rtlsdr_dev_t* dev, int on)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        d.testMode = on != 0;
        return 0;
    });
}

int rtlsdr_set_agc_mode(rtlsdr_dev_t* dev, int on)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        d.rtlAgc = on != 0;
        return 0;
    });
}

int rtlsdr_set_direct_sampling(rtlsdr_dev_t* dev, int on)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (on < 0 || on > 2)
            return -1;
        d.directSampling = on;
        return 0;
    });
}

int rtlsdr_get_direct_sampling(rtlsdr_dev_t* dev)
{
    return locked(dev, -1, [](rtlsdr_dev& d) { return d.directSampling; });
}

int rtlsdr_set_offset_tuning(rtlsdr_dev_t* dev, int on)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        // Offset tuning is for zero-IF tuners; the Rafael tuners work at a low IF already.
        if (d.config.tuner == RTLSDR_TUNER_R820T || d.config.tuner == RTLSDR_TUNER_R828D)
            return -2;
        d.offsetTuning = on != 0;
        return 0;
    });
}

int rtlsdr_get_offset_tuning(rtlsdr_dev_t* dev)
{
    return locked(dev, -1, [](rtlsdr_dev& d) { return d.offsetTuning ? 1 : 0; });
}

int rtlsdr_reset_buffer(rtlsdr_dev_t* dev)
{
    return locked(dev, -1, [](rtlsdr_dev&) { return 0; });
}

int rtlsdr_read_sync(rtlsdr_dev_t* dev, void* buf, int len, int* n_read)
{
    const DevicePtr d = findDevice(dev);
    return d ? varnock::sim::readSync(d, buf, len, n_read) : -1;
}

int rtlsdr_wait_async(rtlsdr_dev_t* dev, rtlsdr_read_async_cb_t cb, void* ctx)
{
    return rtlsdr_read_async(dev, cb, ctx, 0, 0);
}

int rtlsdr_read_async(rtlsdr_dev_t* dev, rtlsdr_read_async_cb_t cb, void* ctx, uint32_t buf_num, uint32_t buf_len)
{
    const DevicePtr d = findDevice(dev);
    return d ? varnock::sim::readAsync(d, cb, ctx, buf_num, buf_len) : -1;
}

int rtlsdr_cancel_async(rtlsdr_dev_t* dev)
{
    const DevicePtr d = findDevice(dev);
    return d ? varnock::sim::cancelAsync(d) : -1;
}

int rtlsdr_set_bias_tee(rtlsdr_dev_t* dev, int on)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        d.biasTee = on != 0;
        return 0;
    });
}

int rtlsdr_set_bias_tee_gpio(rtlsdr_dev_t* dev, int gpio, int on)
{
    return locked(dev, -1, [&](rtlsdr_dev& d) {
        if (gpio < 0 || gpio > 7)
            return -1;
        if (gpio == 0)
            d.biasTee = on != 0;
        return 0;
    });
}

} // extern "C"
