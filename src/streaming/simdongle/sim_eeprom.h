// The simulated dongle's 256-byte configuration EEPROM: default image, USB string descriptors, backing file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace varnock::sim {

inline constexpr size_t kEepromBytes = 256;
inline constexpr size_t kEepromStringsAt = 9; // manufacturer, product, serial descriptors in a row
inline constexpr size_t kEepromMaxChars = 40; // per string, so all three fit
inline constexpr uint8_t kErasedByte = 0xFF;

using EepromImage = std::array<uint8_t, kEepromBytes>;

struct UsbStrings {
    std::string manufacturer;
    std::string product;
    std::string serial;
};

// A configured dongle's image: header, then the three strings as USB string descriptors (type 3,
// UTF-16LE), the rest erased. Strings longer than kEepromMaxChars are cut.
EepromImage makeEepromImage(const UsbStrings& strings);

// The three strings, or nothing when a descriptor is not a well-formed string descriptor. Characters
// outside ASCII read as '?'.
std::optional<UsbStrings> readUsbStrings(const EepromImage& image);

// Shorter files are padded with erased bytes, longer ones cut; nothing when the file cannot be read.
std::optional<EepromImage> loadEepromFile(const std::string& path);
// Replaces the file whole; false when it cannot be written.
bool saveEepromFile(const std::string& path, const EepromImage& image);

} // namespace varnock::sim
