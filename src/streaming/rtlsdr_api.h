// RtlSdrApi: the rtl-sdr functions as a table of pointers, filled from the library loaded at run time.
#pragma once

#include <rtl-sdr.h>

#include <string>

namespace varnock {

// Every function the program may call: X(name without the "rtlsdr_" prefix, required).
// Required ones are those the receiver and the device utilities use; the others stay null when a
// library (a simulated dongle, an older build) does not provide them.
#define VARNOCK_RTLSDR_FUNCTIONS(X)        \
    X(get_device_count, true)              \
    X(get_device_name, true)               \
    X(get_device_usb_strings, true)        \
    X(get_index_by_serial, false)          \
    X(open, true)                          \
    X(close, false)                        \
    X(set_xtal_freq, false)                \
    X(get_xtal_freq, true)                 \
    X(get_usb_strings, false)              \
    X(write_eeprom, true)                  \
    X(read_eeprom, true)                   \
    X(set_center_freq, true)               \
    X(get_center_freq, false)              \
    X(set_freq_correction, true)           \
    X(get_freq_correction, true)           \
    X(get_tuner_type, true)                \
    X(get_tuner_gains, true)               \
    X(set_tuner_gain, true)                \
    X(get_tuner_gain, true)                \
    X(set_tuner_if_gain, false)            \
    X(set_tuner_gain_mode, true)           \
    X(set_sample_rate, true)               \
    X(get_sample_rate, true)               \
    X(set_testmode, true)                  \
    X(set_agc_mode, true)                  \
    X(set_direct_sampling, false)          \
    X(get_direct_sampling, false)          \
    X(set_offset_tuning, false)            \
    X(get_offset_tuning, false)            \
    X(reset_buffer, true)                  \
    X(read_sync, false)                    \
    X(wait_async, false)                   \
    X(read_async, true)                    \
    X(cancel_async, true)

// Plain table, so tests can fill it with fakes; the types come from the library's own header.
struct RtlSdrApi {
#define VARNOCK_RTLSDR_SLOT(name, required) decltype(&::rtlsdr_##name) name = nullptr;
    VARNOCK_RTLSDR_FUNCTIONS(VARNOCK_RTLSDR_SLOT)
#undef VARNOCK_RTLSDR_SLOT
};

inline constexpr const char* kRtlSdrLibraryFile = "librtlsdr.so.0";
inline constexpr const char* kLibusbLibraryFile = "libusb-1.0.so.0";
// Names another library to load instead (the simulated dongle).
inline constexpr const char* kRtlSdrLibraryEnv = "VARNOCK_RTLSDR_LIB";

// The file load() opens: $VARNOCK_RTLSDR_LIB when set and not empty, else librtlsdr.so.0. A bare
// file name in the variable is looked for where our own libraries lie (see ownLibraryFile).
std::string rtlSdrLibraryFile();

// A bare `name` beside the program in the build tree (streaming/simdongle/) or installed
// (../lib/varnock/ from the program's folder): the first that exists, else `name` unchanged
// (the loader's own search). Names with a '/' are returned as they are.
std::string ownLibraryFile(const std::string& name, const std::string& programDir);

// True when libusb-1.0.so.0 can be loaded; it is unloaded again at once.
bool libusbAvailable();

// Owns the loaded library. Unloads it on destruction: stop and join the streaming thread first.
class RtlSdrLibrary {
public:
    RtlSdrLibrary() = default;
    ~RtlSdrLibrary();
    RtlSdrLibrary(const RtlSdrLibrary&) = delete;
    RtlSdrLibrary& operator=(const RtlSdrLibrary&) = delete;

    bool load() { return load(rtlSdrLibraryFile()); }
    // On failure the table is all null and error() is the list line, "Cannot find <file>." or
    // "Cannot find <symbol> in <file>."; detail() carries the loader's own explanation.
    bool load(const std::string& file);
    void unload();

    bool loaded() const { return handle_ != nullptr; }
    const RtlSdrApi& api() const { return api_; }
    const std::string& error() const { return error_; }
    const std::string& detail() const { return detail_; }

private:
    void* handle_ = nullptr;
    RtlSdrApi api_;
    std::string error_;
    std::string detail_;
};

} // namespace varnock
