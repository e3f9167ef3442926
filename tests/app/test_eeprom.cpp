// EEPROM strings and serial reprogramming: descriptor reading, and the whole rewrite on the simulated dongle.
#include "app/eeprom_serial.h"

#include <fstream>

#include "test_device_support.h"

namespace varnock {
namespace {

using test::DeviceFixture;
using test::setEnv;

// Appends a string descriptor of `type` at `pos`; returns the position after it.
int putDescriptor(EepromImage& im, int pos, const std::string& s, uint8_t type = 3)
{
    im.bytes[pos] = static_cast<uint8_t>(2 + 2 * s.size());
    im.bytes[pos + 1] = type;
    for (std::size_t i = 0; i < s.size(); ++i) {
        im.bytes[pos + 2 + 2 * static_cast<int>(i)] = static_cast<uint8_t>(s[i]);
        im.bytes[pos + 3 + 2 * static_cast<int>(i)] = 0;
    }
    return pos + 2 + 2 * static_cast<int>(s.size());
}

TEST(EepromStrings, ReadsThreeDescriptorsFromByteNine)
{
    EepromImage im;
    int p = putDescriptor(im, 9, "Realtek");
    p = putDescriptor(im, p, "RTL2838UHIDIR");
    const int serialAt = p;
    putDescriptor(im, p, "00000001");
    const EepromStrings s = readEepromStrings(im);
    EXPECT_EQ(s.manufacturer, "Realtek");
    EXPECT_EQ(s.product, "RTL2838UHIDIR");
    EXPECT_EQ(s.serial, "00000001");
    EXPECT_EQ(s.serialPosition, serialAt);
    EXPECT_EQ(serialWriteRefusal(im, serialAt), "");
}

TEST(EepromStrings, AWrongTypeReadsEmptyAndDoesNotMove)
{
    EepromImage im;
    int p = putDescriptor(im, 9, "Realtek", 2);
    putDescriptor(im, p, "X");
    int pos = 9;
    EXPECT_EQ(readEepromString(im.bytes, pos), "");
    EXPECT_EQ(pos, 9);
    const EepromStrings s = readEepromStrings(im);
    EXPECT_EQ(s.manufacturer, "");
    EXPECT_EQ(s.product, "");
    EXPECT_EQ(s.serial, "");
    EXPECT_EQ(s.serialPosition, 9);
}

TEST(EepromStrings, CharactersStopAtByte78)
{
    EepromImage im;
    putDescriptor(im, 60, "ABCDEFGHIJKL"); // runs to byte 86
    int pos = 60;
    EXPECT_EQ(readEepromString(im.bytes, pos), "ABCDEFGH"); // bytes 62..76
    EXPECT_EQ(pos, 78);
}

TEST(EepromStrings, OnlyAnEightCharacterStringThatReadsBackWholeIsWritable)
{
    const std::string notEight = "!! EEPROM write refused: the serial number is not a string of eight characters";
    const std::string cut = "!! EEPROM write refused: the serial number would not be read back whole";
    struct Case {
        const char* name;
        int pos;
        std::string serial;
        uint8_t type;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {"eight digits", 53, "00000001", 3, ""},
        {"seven", 53, "0000001", 3, notEight},
        {"nine", 53, "000000001", 3, notEight},
        {"not a string", 53, "00000001", 1, notEight},
        {"last character at byte 77", 61, "00000001", 3, ""},
        {"last character at byte 78", 62, "00000001", 3, cut},
        {"ends at byte 128", 110, "00000001", 3, cut},
        {"runs past byte 128", 111, "00000001", 3, cut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EepromImage im;
        putDescriptor(im, c.pos, c.serial, c.type);
        EXPECT_EQ(serialWriteRefusal(im, c.pos), c.refusal);
        // What is accepted is read back whole.
        if (c.refusal.empty()) {
            int pos = c.pos;
            EXPECT_EQ(readEepromString(im.bytes, pos), c.serial);
        }
    }
}

TEST(EepromStrings, DialogDigits)
{
    struct Case {
        std::string serial;
        std::vector<int> digits;
    };
    const std::vector<Case> cases = {
        {"00000001", {0, 0, 0, 0, 0, 0, 0, 1}},
        {"123", {0, 0, 0, 0, 0, 1, 2, 3}}, // padded in front, as a number
        {"", {0, 0, 0, 0, 0, 0, 0, 0}},
        {"12345678901", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"AB!12345", {9, 9, 0, 1, 2, 3, 4, 5}}, // clamped as the spin boxes do
    };
    for (const Case& c : cases) {
        int d[8];
        serialDigits(c.serial, d);
        EXPECT_EQ(std::vector<int>(d, d + 8), c.digits) << c.serial;
    }
}

#ifdef VARNOCK_SIMDONGLE_LIB

class Reprogramming : public DeviceFixture {
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        eepromFile = (home_ / "eeprom.bin").string();
        setEnv("VARNOCK_SIM_0_EEPROM", eepromFile);
    }
    // The serial string the EEPROM file now holds ("" when no file was written).
    std::string serialOnFile() const
    {
        std::ifstream f(eepromFile, std::ios::binary);
        if (!f) return "";
        EepromImage im;
        f.read(reinterpret_cast<char*>(im.bytes), 256);
        return readEepromStrings(im).serial;
    }
    void wantLastDigit(int d)
    {
        for (int k = 0; k < 7; ++k) view.newDigits[k] = 0;
        view.newDigits[7] = d;
    }
    std::string eepromFile;
};

TEST_F(Reprogramming, RewritesTheSerialAndReadsItBack)
{
    makeWithFreePorts({"-eeprom"});
    wantLastDigit(2);
    view.answers = {true, true, true};
    start();

    EXPECT_EQ(view.dialogShown, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(view.questions.size(), 3u);
    const std::vector<std::string> want = {
        "Tuner type: \"Rafael R820T\"",  "** Entering EEPROM mode",          "** EEPROM write successful",
        "** Manufacturer: Realtek",      "** Product:      RTL2838UHIDIR", "** Serial:       00000002",
    };
    EXPECT_EQ(linesFrom("Tuner type: \"Rafael R820T\""), want);
    EXPECT_EQ(serialOnFile(), "00000002");
    EXPECT_FALSE(st().started); // reception is not started in this mode
    EXPECT_FALSE(engine->streaming());
}

TEST_F(Reprogramming, AnyNoOrCancelLeavesTheEepromAlone)
{
    struct Case {
        const char* name;
        bool dialogContinue;
        std::deque<bool> answers;
        std::vector<std::string> tail; // after "** Entering EEPROM mode"
        std::size_t questions;
    };
    const std::vector<Case> cases = {
        {"cancel", false, {}, {"!! Reprogramming cancelled by user"}, 0},
        {"first no", true, {false}, {}, 1},
        {"second no", true, {true, false}, {}, 2},
        {"third no", true, {true, true, false}, {}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view = test::RecordingView();
        view.dialogContinue = c.dialogContinue;
        view.answers = c.answers;
        wantLastDigit(2);
        makeWithFreePorts({"-eeprom"});
        start();
        std::vector<std::string> tail = linesFrom("** Entering EEPROM mode");
        ASSERT_FALSE(tail.empty());
        tail.erase(tail.begin());
        EXPECT_EQ(tail, c.tail);
        EXPECT_EQ(view.questions.size(), c.questions);
        EXPECT_EQ(serialOnFile(), ""); // never written
        device.reset();
        engine.reset();
    }
}

TEST_F(Reprogramming, TheFirstDigitStays)
{
    makeWithFreePorts({"-eeprom"});
    for (int k = 0; k < 8; ++k) view.newDigits[k] = 7;
    view.answers = {true, true, true};
    start();
    EXPECT_EQ(serialOnFile(), "07777777");
}

TEST_F(Reprogramming, ASerialThatIsNotEightCharactersIsRefused)
{
    setEnv("VARNOCK_SIM_0_SERIAL", "123");
    makeWithFreePorts({"-eeprom"});
    view.answers = {true, true, true};
    start();
    std::vector<std::string> tail = linesFrom("** Entering EEPROM mode");
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_EQ(tail[1].rfind("!! EEPROM write refused", 0), 0u) << tail[1];
    EXPECT_TRUE(view.dialogShown.empty());
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(serialOnFile(), "");
}

TEST_F(Reprogramming, OnlyASerialThatReadsBackWholeIsWritten)
{
    // A longer product string pushes the serial descriptor towards the end of what is read.
    struct Case {
        const char* product;
        std::string serialAtStart;
        std::vector<std::string> tail; // from "** Entering EEPROM mode" on
        std::string onFile;
    };
    const std::vector<Case> cases = {
        {"RTL2838UHIDIRABCD", "00000001",
         {"** Entering EEPROM mode", "** EEPROM write successful", "** Manufacturer: Realtek",
          "** Product:      RTL2838UHIDIRABCD", "** Serial:       00000002"},
         "00000002"},
        {"RTL2838UHIDIRABCDE", "0000000",
         {"** Entering EEPROM mode", "!! EEPROM write refused: the serial number would not be read back whole"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        std::filesystem::remove(eepromFile);
        setEnv("VARNOCK_SIM_0_PRODUCT", c.product);
        view = test::RecordingView();
        wantLastDigit(2);
        view.answers = {true, true, true};
        makeWithFreePorts({"-eeprom"});
        start();
        EXPECT_TRUE(hasLine("** Serial:       " + c.serialAtStart));
        EXPECT_EQ(linesFrom("** Entering EEPROM mode"), c.tail);
        EXPECT_EQ(serialOnFile(), c.onFile);
        device.reset();
        engine.reset();
    }
}

TEST_F(Reprogramming, ADongleWithoutEepromCannotEnterTheMode)
{
    setEnv("VARNOCK_SIM_0_EEPROM", "none");
    makeWithFreePorts({"-eeprom"});
    start();
    const std::vector<std::string> all = lines();
    bool entered = false, refused = false;
    for (const std::string& l : all) {
        entered = entered || l == "** Entering EEPROM mode";
        refused = refused || l.rfind(">> Error on entering EEPROM mode: -", 0) == 0;
    }
    EXPECT_FALSE(entered);
    EXPECT_TRUE(refused) << ::testing::PrintToString(all);
}

#endif // VARNOCK_SIMDONGLE_LIB

} // namespace
} // namespace varnock
