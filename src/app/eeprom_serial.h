// The dongle's EEPROM image: its USB string descriptors and the rewriting of the serial number.
#pragma once

#include <cstdint>
#include <string>

#include "app/device_control.h"
#include "streaming/rtlsdr_api.h"

namespace varnock {

class View;

// 128 bytes are read and written; the rest stays zero so reads past them see zeros.
struct EepromImage {
    static constexpr int kLength = 128;
    static constexpr int kStringsAt = 9;
    uint8_t bytes[256] = {};
};

// One string descriptor at `position` (length, type 3, then two bytes per character of which the
// low one is used). A descriptor of another type gives "" and leaves `position` where it was.
std::string readEepromString(const uint8_t* image, int& position);

struct EepromStrings {
    std::string manufacturer, product, serial;
    int serialPosition = EepromImage::kStringsAt; // where the serial descriptor starts
};
EepromStrings readEepromStrings(const EepromImage& image);

// Why the serial descriptor at `serialPosition` cannot take eight new characters ("" when it can).
std::string serialWriteRefusal(const EepromImage& image, int serialPosition);

// The eight digits the dialog starts from: shorter serials padded with leading zeros, characters
// that are not digits clamped to 0..9 as the spin boxes do.
void serialDigits(const std::string& serial, int digits[8]);

// The digits into the serial descriptor's characters; length and type bytes untouched.
void putSerial(EepromImage& image, int serialPosition, const int digits[8]);

// START's continuation with "eeprom": dialog, three questions, write, read back. `serialAtStart`
// is the serial START reported.
void reprogramSerial(const RtlSdrApi& api, rtlsdr_dev_t* device, const std::string& serialAtStart, View& view,
                     const LogFn& log);

} // namespace varnock
