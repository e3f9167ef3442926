// Serial-number reprogramming: read, edit, confirm three times, write, read back.
#include "app/eeprom_serial.h"

#include <algorithm>

#include "app/view.h"

namespace varnock {

namespace {

constexpr int kReadLimit = 78; // characters are read only below this byte
constexpr int kSerialChars = 8;
constexpr uint8_t kStringDescriptor = 3;

void reportStrings(const EepromStrings& s, const LogFn& log)
{
    log("** Manufacturer: " + s.manufacturer);
    log("** Product:      " + s.product);
    log("** Serial:       " + s.serial);
}

} // namespace

std::string readEepromString(const uint8_t* image, int& position)
{
    const int length = image[position];
    const int end = position + length;
    if (image[position + 1] != kStringDescriptor) return {};
    std::string text;
    int j = position + 2;
    while (j < end && j < kReadLimit) {
        text += static_cast<char>(image[j]);
        j += 2;
    }
    position = j;
    return text;
}

EepromStrings readEepromStrings(const EepromImage& image)
{
    EepromStrings s;
    int pos = EepromImage::kStringsAt;
    s.manufacturer = readEepromString(image.bytes, pos);
    s.product = readEepromString(image.bytes, pos);
    s.serialPosition = pos;
    s.serial = readEepromString(image.bytes, pos);
    return s;
}

std::string serialWriteRefusal(const EepromImage& image, int serialPosition)
{
    const int length = image.bytes[serialPosition];
    if (image.bytes[serialPosition + 1] != kStringDescriptor || length != 2 + 2 * kSerialChars)
        return "!! EEPROM write refused: the serial number is not a string of eight characters";
    // The reader stops at kReadLimit: a serial written past it would come back shorter.
    const int lastCharacter = serialPosition + 2 + 2 * (kSerialChars - 1);
    if (lastCharacter >= kReadLimit || serialPosition + length > EepromImage::kLength)
        return "!! EEPROM write refused: the serial number would not be read back whole";
    return {};
}

void serialDigits(const std::string& serial, int digits[8])
{
    const std::string s = serial.size() >= kSerialChars
                              ? serial.substr(0, kSerialChars)
                              : std::string(kSerialChars - serial.size(), '0') + serial;
    for (int k = 0; k < kSerialChars; ++k)
        digits[k] = std::clamp(static_cast<unsigned char>(s[static_cast<std::size_t>(k)]) - 48, 0, 9);
}

void putSerial(EepromImage& image, int serialPosition, const int digits[8])
{
    for (int k = 0; k < kSerialChars; ++k) {
        image.bytes[serialPosition + 2 + 2 * k] = static_cast<uint8_t>(digits[k] + 48);
        image.bytes[serialPosition + 3 + 2 * k] = 0;
    }
}

void reprogramSerial(const RtlSdrApi& api, rtlsdr_dev_t* device, const std::string& serialAtStart, View& view,
                     const LogFn& log)
{
    EepromImage image;
    const int r = api.read_eeprom(device, image.bytes, 0, EepromImage::kLength);
    if (r < 0) {
        log(">> Error on entering EEPROM mode: " + std::to_string(r));
        return;
    }
    log("** Entering EEPROM mode");

    // Eight characters are written over the descriptor whatever it holds; anything but a string of
    // exactly eight would be corrupted, so it is refused before anything is asked.
    const EepromStrings strings = readEepromStrings(image);
    if (const std::string refusal = serialWriteRefusal(image, strings.serialPosition); !refusal.empty()) {
        log(refusal);
        return;
    }

    int digits[kSerialChars];
    serialDigits(serialAtStart, digits);
    const int first = digits[0];
    if (!view.reprogrammingDialog(digits)) {
        log("!! Reprogramming cancelled by user");
        return;
    }
    digits[0] = first;
    for (int& d : digits) d = std::clamp(d, 0, 9);
    putSerial(image, strings.serialPosition, digits);

    static const char* const kQuestions[] = {
        "Are you sure you want to overwrite the serial number of your RTL2832U device?",
        "Are you really sure you want to continue?",
        "Again, I acknowledge that reprogammierung of the serial number is at my own risk.",
    };
    for (const char* q : kQuestions)
        if (!view.askYesNo(q, "varnock", false)) return;

    if (api.write_eeprom(device, image.bytes, 0, EepromImage::kLength) < 0)
        log("!! EEPROM write failed");
    else
        log("** EEPROM write successful");

    EepromImage back;
    const int rb = api.read_eeprom(device, back.bytes, 0, EepromImage::kLength);
    if (rb < 0) {
        log("!! Cannot read device info:" + std::to_string(rb));
        return;
    }
    reportStrings(readEepromStrings(back), log);
}

} // namespace varnock
