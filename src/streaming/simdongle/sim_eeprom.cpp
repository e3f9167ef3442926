// Building and parsing the simulated EEPROM image and keeping it in its backing file.
#include "streaming/simdongle/sim_eeprom.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace varnock::sim {

namespace {

constexpr uint8_t kStringDescriptor = 3;

// The RTL2832U's own header: signature 0x2832, USB ids 0BDA:2838, configuration bits.
constexpr uint8_t kHeader[kEepromStringsAt] = {0x28, 0x32, 0xDA, 0x0B, 0x38, 0x28, 0xA5, 0x16, 0x02};

size_t putDescriptor(EepromImage& image, size_t at, const std::string& text)
{
    const size_t chars = std::min(text.size(), kEepromMaxChars);
    image[at] = uint8_t(2 + 2 * chars);
    image[at + 1] = kStringDescriptor;
    for (size_t k = 0; k < chars; ++k) {
        image[at + 2 + 2 * k] = uint8_t(text[k]);
        image[at + 3 + 2 * k] = 0;
    }
    return at + 2 + 2 * chars;
}

std::optional<std::string> getDescriptor(const EepromImage& image, size_t& at)
{
    if (at + 2 > kEepromBytes)
        return std::nullopt;
    const size_t length = image[at];
    if (image[at + 1] != kStringDescriptor || length < 2 || length % 2 != 0 || at + length > kEepromBytes)
        return std::nullopt;
    std::string text;
    for (size_t j = at + 2; j < at + length; j += 2) {
        const bool ascii = image[j + 1] == 0 && image[j] >= 0x20 && image[j] < 0x7F;
        text += ascii ? char(image[j]) : '?';
    }
    at += length;
    return text;
}

} // namespace

EepromImage makeEepromImage(const UsbStrings& strings)
{
    EepromImage image;
    image.fill(kErasedByte);
    std::copy(std::begin(kHeader), std::end(kHeader), image.begin());
    size_t at = kEepromStringsAt;
    at = putDescriptor(image, at, strings.manufacturer);
    at = putDescriptor(image, at, strings.product);
    putDescriptor(image, at, strings.serial);
    return image;
}

std::optional<UsbStrings> readUsbStrings(const EepromImage& image)
{
    size_t at = kEepromStringsAt;
    auto manufacturer = getDescriptor(image, at);
    auto product = manufacturer ? getDescriptor(image, at) : std::nullopt;
    auto serial = product ? getDescriptor(image, at) : std::nullopt;
    if (!serial)
        return std::nullopt;
    return UsbStrings{std::move(*manufacturer), std::move(*product), std::move(*serial)};
}

std::optional<EepromImage> loadEepromFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return std::nullopt;
    EepromImage image;
    image.fill(kErasedByte);
    (void)std::fread(image.data(), 1, image.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return image;
}

bool saveEepromFile(const std::string& path, const EepromImage& image)
{
    // Written beside and renamed, so a failed write never leaves half an EEPROM behind.
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace varnock::sim
