// Tests of the simulated dongle's devices: enumeration, handles, EEPROM, tuning, gains and sample rates.
#include "streaming/test_simdongle_support.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace varnock::test {
namespace {

using SimDongle = SimDongleTest;

struct Strings {
    char manufacturer[256] = {};
    char product[256] = {};
    char serial[256] = {};
};

TEST_F(SimDongle, DevicesComeFromTheEnvironmentReadAtEachEnumeration)
{
    EXPECT_EQ(api().get_device_count(), 1u);
    EXPECT_STREQ(api().get_device_name(0), "Generic RTL2832U OEM");

    set("VARNOCK_SIM_DEVICES", "2");
    set("VARNOCK_SIM_1_NAME", "Second stick");
    set("VARNOCK_SIM_1_MANUFACTURER", "ACME");
    set("VARNOCK_SIM_1_PRODUCT", "Blue");
    set("VARNOCK_SIM_1_SERIAL", "00000042");
    ASSERT_EQ(api().get_device_count(), 2u);
    EXPECT_STREQ(api().get_device_name(1), "Second stick");

    Strings s0, s1;
    EXPECT_EQ(api().get_device_usb_strings(0, s0.manufacturer, s0.product, s0.serial), 0);
    EXPECT_STREQ(s0.manufacturer, "Realtek");
    EXPECT_STREQ(s0.product, "RTL2838UHIDIR");
    EXPECT_STREQ(s0.serial, "00000001");
    EXPECT_EQ(api().get_device_usb_strings(1, s1.manufacturer, nullptr, s1.serial), 0);
    EXPECT_STREQ(s1.manufacturer, "ACME");
    EXPECT_STREQ(s1.serial, "00000042");

    EXPECT_EQ(api().get_index_by_serial("00000042"), 1);
    EXPECT_EQ(api().get_index_by_serial("00000001"), 0);
    EXPECT_EQ(api().get_index_by_serial("00000007"), -3);
    EXPECT_EQ(api().get_index_by_serial(nullptr), -1);

    // Out of range: refused without touching the buffers.
    EXPECT_STREQ(api().get_device_name(2), "");
    Strings untouched;
    EXPECT_LT(api().get_device_usb_strings(2, untouched.manufacturer, untouched.product, untouched.serial), 0);
    EXPECT_STREQ(untouched.serial, "");
    rtlsdr_dev_t* dev = reinterpret_cast<rtlsdr_dev_t*>(&untouched);
    EXPECT_NE(api().open(&dev, 2), 0);
    EXPECT_EQ(dev, nullptr);
    EXPECT_NE(api().open(nullptr, 0), 0);

    set("VARNOCK_SIM_DEVICES", "0");
    EXPECT_EQ(api().get_device_count(), 0u);
    EXPECT_EQ(api().get_index_by_serial("00000001"), -2);
    EXPECT_EQ(open(0), nullptr);
}

TEST_F(SimDongle, HandlesThatAreNotOpenAreRefused)
{
    rtlsdr_dev_t* closed = open();
    ASSERT_NE(closed, nullptr);
    close(closed);
    int notADevice = 0;
    rtlsdr_dev_t* bogus = reinterpret_cast<rtlsdr_dev_t*>(&notADevice);

    for (rtlsdr_dev_t* dev : {static_cast<rtlsdr_dev_t*>(nullptr), closed, bogus}) {
        uint8_t data[256] = {};
        int gains[64] = {};
        char text[256] = {};
        EXPECT_EQ(api().close(dev), -1);
        EXPECT_EQ(api().get_usb_strings(dev, text, text, text), -1);
        EXPECT_EQ(api().read_eeprom(dev, data, 0, 128), -1);
        EXPECT_EQ(api().write_eeprom(dev, data, 0, 128), -1);
        EXPECT_LT(api().set_center_freq(dev, 1'090'000'000), 0);
        EXPECT_EQ(api().get_tuner_type(dev), RTLSDR_TUNER_UNKNOWN);
        EXPECT_LE(api().get_tuner_gains(dev, gains), 0);
        EXPECT_NE(api().set_tuner_gain(dev, 0), 0);
        EXPECT_EQ(api().get_sample_rate(dev), 0u);
        EXPECT_NE(api().reset_buffer(dev), 0);
        EXPECT_NE(api().read_async(dev, [](unsigned char*, uint32_t, void*) {}, nullptr, 0, 8192), 0);
        EXPECT_NE(api().cancel_async(dev), 0);
    }
}

// The three string descriptors from byte 9, decoded as the program does.
std::vector<std::string> descriptorStrings(const uint8_t* image)
{
    std::vector<std::string> out;
    size_t at = 9;
    for (int k = 0; k < 3; ++k) {
        if (image[at + 1] != 3)
            break;
        std::string s;
        for (size_t j = at + 2; j < at + image[at]; j += 2) {
            EXPECT_EQ(image[j + 1], 0);
            s += char(image[j]);
        }
        out.push_back(s);
        at += image[at];
    }
    return out;
}

TEST_F(SimDongle, EepromHoldsTheUsbStringsAsStringDescriptors)
{
    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    uint8_t image[256] = {};
    ASSERT_EQ(api().read_eeprom(dev, image, 0, 256), 0);
    EXPECT_EQ(image[0], 0x28);
    EXPECT_EQ(image[1], 0x32);
    EXPECT_EQ(image[9], 2 + 2 * 7); // "Realtek"
    EXPECT_EQ(descriptorStrings(image), (std::vector<std::string>{"Realtek", "RTL2838UHIDIR", "00000001"}));
}

TEST_F(SimDongle, EepromAccessIsBoundsChecked)
{
    set("VARNOCK_SIM_DEVICES", "2");
    set("VARNOCK_SIM_1_EEPROM", "none");
    rtlsdr_dev_t* dev = open(0);
    rtlsdr_dev_t* without = open(1);
    ASSERT_NE(dev, nullptr);
    ASSERT_NE(without, nullptr);

    struct Case {
        uint8_t offset;
        uint16_t len;
        int expected;
    };
    const Case cases[] = {{0, 256, 0}, {255, 1, 0}, {128, 128, 0}, {0, 0, 0}, {1, 256, -2}, {255, 2, -2}, {0, 65535, -2}};
    for (const Case& c : cases) {
        std::vector<uint8_t> data(c.len + 1u, 0xEE);
        EXPECT_EQ(api().read_eeprom(dev, data.data(), c.offset, c.len), c.expected) << int(c.offset) << "+" << c.len;
        EXPECT_EQ(data.back(), 0xEE) << "read past the requested length";
        EXPECT_EQ(api().write_eeprom(dev, data.data(), c.offset, c.len), c.expected) << int(c.offset) << "+" << c.len;
    }
    EXPECT_EQ(api().read_eeprom(dev, nullptr, 0, 1), -1);
    EXPECT_EQ(api().write_eeprom(dev, nullptr, 0, 1), -1);

    uint8_t data[16] = {};
    EXPECT_EQ(api().read_eeprom(without, data, 0, 16), -3);
    EXPECT_EQ(api().write_eeprom(without, data, 0, 16), -3);
    Strings s;
    EXPECT_EQ(api().get_usb_strings(without, s.manufacturer, s.product, s.serial), 0);
    EXPECT_STREQ(s.serial, "00000002");
}

// Rewrites the eight serial characters in place, as the reprogramming utility does.
void putSerial(uint8_t* image, const char* serial)
{
    size_t at = 9;
    at += image[at];
    at += image[at];
    for (int k = 0; k < 8; ++k) {
        image[at + 2 + 2 * k] = uint8_t(serial[k]);
        image[at + 3 + 2 * k] = 0;
    }
}

TEST_F(SimDongle, EepromWritesPersistInTheBackingFileAndShowAtTheNextOpen)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "varnock-simdongle-eeprom";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "dongle0.eeprom";
    std::filesystem::remove(file);
    set("VARNOCK_SIM_0_EEPROM", file.string());

    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    uint8_t image[256] = {};
    ASSERT_EQ(api().read_eeprom(dev, image, 0, 128), 0);
    putSerial(image, "00000002");
    ASSERT_EQ(api().write_eeprom(dev, image, 0, 128), 0);
    uint8_t back[256] = {};
    ASSERT_EQ(api().read_eeprom(dev, back, 0, 128), 0);
    EXPECT_EQ(descriptorStrings(back).at(2), "00000002");
    EXPECT_EQ(std::filesystem::file_size(file), 256u);

    // Like a real dongle the new serial counts from the next enumeration, not on the open handle.
    Strings s;
    EXPECT_EQ(api().get_usb_strings(dev, nullptr, nullptr, s.serial), 0);
    EXPECT_STREQ(s.serial, "00000001");
    close(dev);
    EXPECT_EQ(api().get_device_usb_strings(0, nullptr, nullptr, s.serial), 0);
    EXPECT_STREQ(s.serial, "00000002");
    EXPECT_EQ(api().get_index_by_serial("00000002"), 0);
    dev = open();
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(api().get_usb_strings(dev, nullptr, nullptr, s.serial), 0);
    EXPECT_STREQ(s.serial, "00000002");
    close(dev);

    // Without a file the image is the configured one again at every open.
    unsetenv("VARNOCK_SIM_0_EEPROM");
    dev = open();
    ASSERT_NE(dev, nullptr);
    ASSERT_EQ(api().write_eeprom(dev, image, 0, 128), 0);
    close(dev);
    dev = open();
    ASSERT_EQ(api().read_eeprom(dev, back, 0, 128), 0);
    EXPECT_EQ(descriptorStrings(back).at(2), "00000001");

    // A file that cannot be written is an EEPROM that does not answer; the image stays as it was.
    set("VARNOCK_SIM_0_EEPROM", (dir / "missing-folder" / "dongle0.eeprom").string());
    rtlsdr_dev_t* broken = open();
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(api().write_eeprom(broken, image, 0, 128), -3);
    ASSERT_EQ(api().read_eeprom(broken, back, 0, 128), 0);
    EXPECT_EQ(descriptorStrings(back).at(2), "00000001");
    std::filesystem::remove_all(dir);
}

TEST_F(SimDongle, CentreFrequencyIsAcceptedOnlyWithinTheTunerRange)
{
    struct Case {
        const char* tuner;
        const char* fmin;
        const char* fmax;
        const char* gap; // "min,max" or null
        uint32_t f;
        bool accepted;
    };
    const Case cases[] = {
        {"5", nullptr, nullptr, nullptr, 1'090'000'000, true},
        {"5", nullptr, nullptr, nullptr, 24'000'000, true},
        {"5", nullptr, nullptr, nullptr, 23'999'999, false},
        {"5", nullptr, nullptr, nullptr, 1'766'000'000, true},
        {"5", nullptr, nullptr, nullptr, 1'766'000'001, false},
        {"5", nullptr, nullptr, nullptr, 0, false},
        {"5", nullptr, nullptr, nullptr, 4'294'967'295u, false}, // a downward step wrapped below 0 Hz
        {"1", nullptr, nullptr, nullptr, 52'000'000, true},
        {"1", nullptr, nullptr, nullptr, 51'999'999, false},
        {"1", nullptr, nullptr, nullptr, 1'099'999'999, true},
        {"1", nullptr, nullptr, nullptr, 1'100'000'000, false},
        {"1", nullptr, nullptr, nullptr, 1'250'000'000, false},
        {"1", nullptr, nullptr, nullptr, 1'250'000'001, true},
        {"1", nullptr, nullptr, nullptr, 2'200'000'000u, true},
        {"1", nullptr, nullptr, nullptr, 2'200'000'001u, false},
        {"5", "1000000000", "1200000000", nullptr, 999'999'999, false},
        {"5", "1000000000", "1200000000", nullptr, 1'200'000'000, true},
        {"5", nullptr, nullptr, "1080000000,1085000000", 1'085'000'000, false},
        {"5", nullptr, nullptr, "1080000000,1085000000", 1'090'000'000, true},
        {"1", "0", "4294967295", "1,0", 1'150'000'000, true}, // every frequency, no gap
    };
    for (const Case& c : cases) {
        clearSimEnvironment();
        set("VARNOCK_SIM_0_TUNER", c.tuner);
        if (c.fmin != nullptr) {
            set("VARNOCK_SIM_0_FMIN", c.fmin);
            set("VARNOCK_SIM_0_FMAX", c.fmax);
        }
        if (c.gap != nullptr) {
            const std::string gap = c.gap;
            set("VARNOCK_SIM_0_GAPMIN", gap.substr(0, gap.find(',')));
            set("VARNOCK_SIM_0_GAPMAX", gap.substr(gap.find(',') + 1));
        }
        rtlsdr_dev_t* dev = open();
        ASSERT_NE(dev, nullptr);
        ASSERT_EQ(api().set_center_freq(dev, 1'090'000'000), 0) << c.tuner;
        const int r = api().set_center_freq(dev, c.f);
        if (c.accepted) {
            EXPECT_EQ(r, 0) << "tuner " << c.tuner << " f " << c.f;
            EXPECT_EQ(api().get_center_freq(dev), c.f);
        } else {
            EXPECT_LT(r, 0) << "tuner " << c.tuner << " f " << c.f;
            EXPECT_EQ(api().get_center_freq(dev), 1'090'000'000u); // stays where it last locked
        }
        close(dev);
    }
}

TEST_F(SimDongle, GainListsComeFromTheTunerOrTheEnvironment)
{
    struct Case {
        const char* tuner;
        const char* gains; // null: the default
        std::vector<int> expected;
    };
    const std::vector<int> r820t = {0,   9,   14,  27,  37,  77,  87,  125, 144, 157, 166, 197, 207, 229, 254,
                                    280, 297, 328, 338, 364, 372, 386, 402, 421, 434, 439, 445, 480, 496};
    const std::vector<int> e4000 = {-10, 15, 40, 65, 90, 115, 140, 165, 190, 215, 240, 290, 340, 420, 430, 450, 470, 490};
    const Case cases[] = {
        {"5", nullptr, r820t},
        {"1", nullptr, e4000},
        {"5", "-10, 0,250", {-10, 0, 250}},
        {"5", "", {}},
        {"5", "1,x", r820t}, // a list that does not parse is ignored
    };
    for (const Case& c : cases) {
        clearSimEnvironment();
        set("VARNOCK_SIM_0_TUNER", c.tuner);
        if (c.gains != nullptr)
            set("VARNOCK_SIM_0_GAINS", c.gains);
        rtlsdr_dev_t* dev = open();
        ASSERT_NE(dev, nullptr);
        EXPECT_EQ(api().get_tuner_type(dev), std::stoi(c.tuner));
        EXPECT_EQ(api().get_tuner_gains(dev, nullptr), int(c.expected.size()));
        std::vector<int> got(64, 12345);
        const int n = api().get_tuner_gains(dev, got.data());
        ASSERT_EQ(n, int(c.expected.size())) << (c.gains ? c.gains : "default");
        EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + n), c.expected);
        EXPECT_EQ(got[size_t(n)], 12345);
        close(dev);
    }
}

TEST_F(SimDongle, TunerGainSnapsToTheNearestStep)
{
    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(api().set_tuner_gain_mode(dev, 1), 0);
    const int cases[][2] = {{496, 496}, {253, 254}, {240, 229}, {-5, 0}, {1000, 496}};
    for (const auto& c : cases) {
        EXPECT_EQ(api().set_tuner_gain(dev, c[0]), 0);
        EXPECT_EQ(api().get_tuner_gain(dev), c[1]) << c[0];
    }
    set("VARNOCK_SIM_0_GAINS", "");
    rtlsdr_dev_t* none = open();
    EXPECT_NE(api().set_tuner_gain(none, 240), 0);
}

TEST_F(SimDongle, SampleRateIsKeptOnlyWhenTheChipCanRunIt)
{
    rtlsdr_dev_t* dev = open();
    ASSERT_NE(dev, nullptr);
    for (const uint32_t good : {2'068'965u, 300'000u, 900'001u, 3'200'000u, 2'000'000u}) {
        EXPECT_EQ(api().set_sample_rate(dev, good), 0) << good;
        EXPECT_EQ(api().get_sample_rate(dev), good);
    }
    for (const uint32_t bad : {0u, 225'000u, 300'001u, 900'000u, 3'200'001u}) {
        EXPECT_EQ(api().set_sample_rate(dev, bad), -EINVAL) << bad;
        EXPECT_EQ(api().get_sample_rate(dev), 2'000'000u);
    }
}

} // namespace
} // namespace varnock::test
