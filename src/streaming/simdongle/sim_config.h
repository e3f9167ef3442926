// Simulated dongle configuration: what the environment says about the device list and each device.
//
// Environment (numbers are decimal; <i> is the 0-based device index):
//   VARNOCK_SIM_DEVICES        number of devices, 0..16, default 1
//   VARNOCK_SIM_<i>_NAME       device name, default "Generic RTL2832U OEM"
//   VARNOCK_SIM_<i>_MANUFACTURER, _PRODUCT, _SERIAL
//                              USB strings seeding a fresh EEPROM, default "Realtek", "RTL2838UHIDIR",
//                              the eight-digit index + 1 ("00000001", "00000002", ...)
//   VARNOCK_SIM_<i>_TUNER      rtlsdr_tuner number 0..6, default 5 (R820T)
//   VARNOCK_SIM_<i>_GAINS      comma list in tenths of a dB; empty = no gains; default the tuner's table
//   VARNOCK_SIM_<i>_FMIN, _FMAX          accepted centre frequencies in Hz, inclusive
//   VARNOCK_SIM_<i>_GAPMIN, _GAPMAX      refused band inside them, inclusive (GAPMAX < GAPMIN: none)
//   VARNOCK_SIM_<i>_EEPROM     file backing the 256-byte EEPROM; "none" = a dongle without EEPROM
//   VARNOCK_SIM_SOURCE         "demo" (default), "modeac", "busy", "busy2000" or the path of an 8-bit I/Q file (looped)
//   VARNOCK_SIM_PACE           "real" (default) or "fast"
//   VARNOCK_SIM_SEED           scenario seed, default 1
//   VARNOCK_SIM_<i>_SOURCE, VARNOCK_SIM_<i>_SEED   per-device overrides of the two above
// Values that do not parse fall back to their defaults. Every enumeration call and rtlsdr_open reads
// them again, so one process can reconfigure; an open device keeps what it was opened with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnock::sim {

inline constexpr int kMaxDevices = 16;
inline constexpr size_t kMaxGains = 64;

enum class Pace : uint8_t { Real, Fast };

struct FrequencyRange {
    uint32_t min = 0;
    uint32_t max = UINT32_MAX;
    uint32_t gapMin = 1; // gapMax < gapMin: no gap
    uint32_t gapMax = 0;

    bool accepts(uint32_t f) const { return f >= min && f <= max && !(f >= gapMin && f <= gapMax); }
    bool operator==(const FrequencyRange&) const = default;
};

struct DeviceConfig {
    std::string name;
    std::string manufacturer;
    std::string product;
    std::string serial;
    int tuner = 5;
    std::vector<int> gains; // tenths of a dB
    FrequencyRange range;
    std::string eepromFile; // empty: in memory
    bool hasEeprom = true;
    std::string source;
    Pace pace = Pace::Real;
    uint64_t seed = 1;

    bool operator==(const DeviceConfig&) const = default;
};

int deviceCountFromEnv();
DeviceConfig deviceConfigFromEnv(int index);

// The tables a tuner of this type offers when the environment says nothing.
std::vector<int> defaultGains(int tuner);
FrequencyRange defaultRange(int tuner);

} // namespace varnock::sim
