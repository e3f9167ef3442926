// The dongle's EEPROM image: the string reader stays inside the image, and a serial number the
// writer accepts lands inside the part written back and reads back whole, nothing else changed.
//
// Input: up to 256 image bytes, then eight digit bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "app/eeprom_serial.h"
#include "fuzz_check.h"

using namespace varnock;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // On the heap and exactly its size, so a read past the image is caught.
    auto image = std::make_unique<EepromImage>();
    const size_t n = size < sizeof image->bytes ? size : sizeof image->bytes;
    if (n > 0) std::memcpy(image->bytes, data, n);
    int digits[8] = {};
    for (size_t i = 0; i < 8 && n + i < size; ++i) digits[i] = data[n + i] % 10;

    const EepromStrings before = readEepromStrings(*image);
    FUZZ_CHECK(before.serialPosition >= EepromImage::kStringsAt && before.serialPosition < 256, "serial at %d",
               before.serialPosition);
    if (!serialWriteRefusal(*image, before.serialPosition).empty()) return 0;

    auto written = std::make_unique<EepromImage>(*image);
    putSerial(*written, before.serialPosition, digits);
    for (int i = 0; i < 256; ++i)
        FUZZ_CHECK(i < EepromImage::kLength || written->bytes[i] == image->bytes[i],
                   "byte %d changed beyond the part written back", i);

    // Only the written part goes to the dongle; what comes back is that part and zeros.
    auto readBack = std::make_unique<EepromImage>();
    std::memcpy(readBack->bytes, written->bytes, EepromImage::kLength);
    auto original = std::make_unique<EepromImage>();
    std::memcpy(original->bytes, image->bytes, EepromImage::kLength);
    const EepromStrings was = readEepromStrings(*original);
    const EepromStrings after = readEepromStrings(*readBack);
    std::string expected;
    for (int d : digits) expected += static_cast<char>('0' + d);
    FUZZ_CHECK(after.serial == expected, "serial reads back as '%s' instead of %s", after.serial.c_str(),
               expected.c_str());
    FUZZ_CHECK(after.manufacturer == was.manufacturer && after.product == was.product &&
                   after.serialPosition == was.serialPosition,
               "the other strings changed");
    return 0;
}
