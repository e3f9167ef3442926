// Configuration dialog values: home location text, port text, name filter and "Save + close".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/config_values.h"

using namespace varnock;

TEST(HomeLocationText, Coordinates)
{
    const struct {
        const char* text;
        bool latitude;
        bool ok;
        double value;
    } cases[] = {
        {"N51 28.500", true, true, 51.475},
        {"E007 12.250", false, true, 7.0 + 12.25 / 60.0},
        {"S33 52.000", true, true, -(33.0 + 52.0 / 60.0)},
        {"W151 12.600", false, true, -151.21},
        {"S0 30.000", true, true, -0.5}, // the sign reaches the minutes with 0 degrees
        {"N51", true, true, 51.0},
        {"N51 ", true, true, 51.0},       // a blank as the last character: no minutes
        {"N51 28.5  ", true, true, 51.475}, // blanks around the minutes
        {"N51  28.5", true, true, 51.475},
        {"N0051 28.5", true, true, 51.475},
        {"N89 59.999", true, true, 89.0 + 59.999 / 60.0},
        {"E179 00.000", false, true, 179.0},
        {"N90 00.000", true, false, 0},
        {"E180 00.000", false, false, 0},
        {"N", true, false, 0},
        {"", true, false, 0},
        {"51 28.5", true, false, 0},
        {"n51 28.5", true, false, 0},
        {"E51 28.5", true, false, 0},
        {"N51 28,5", true, false, 0},
        {"N51 abc", true, false, 0},
        {"N51 28.5x", true, false, 0},
        {"N 28.5", true, false, 0},
        {"N-5 30.0", true, false, 0},
        {"N5x 30.0", true, false, 0},
        {"N51 -30.0", true, false, 0},
        {"N51 -0", true, false, 0},   // a signed zero is still a sign
        {"S0 -0.0", true, false, 0},
        // Minutes just below 60 that round the sum up to the next whole degree.
        {"N89 59.9999999999997151", true, false, 0},
        {"W179 59.99999999999999", false, false, 0},
        {"N51 60.0", true, false, 0},
        {"N51 nan", true, false, 0},
        {"N99999999999999999999 1", true, false, 0},
    };
    for (const auto& c : cases) {
        std::optional<double> v = c.latitude ? parseLatitude(c.text) : parseLongitude(c.text);
        ASSERT_EQ(v.has_value(), c.ok) << c.text;
        if (c.ok) {
            EXPECT_NEAR(*v, c.value, 1e-12) << c.text;
        }
    }
    // At most 55 characters after the letter, all of them read: longer text is refused, not cut.
    const std::string padded = "N51 28.5" + std::string(48, ' ');
    ASSERT_EQ(padded.size(), 56u);
    ASSERT_TRUE(parseLatitude(padded).has_value());
    EXPECT_NEAR(*parseLatitude(padded), 51.475, 1e-12);
    EXPECT_FALSE(parseLatitude(padded + "junk").has_value());
    EXPECT_FALSE(parseLatitude(padded + " ").has_value());
    EXPECT_FALSE(parseLongitude("E007 12.25" + std::string(46, '0') + "9").has_value());
    EXPECT_FALSE(parseLatitude(padded.substr(0, 52) + "junk").has_value());
}

TEST(PortText, IntegersOnly)
{
    EXPECT_EQ(parsePortText("31012"), 31012);
    EXPECT_EQ(parsePortText(" 80 "), 80);
    EXPECT_EQ(parsePortText("+8080"), 8080);
    EXPECT_EQ(parsePortText("65535"), 65535);
    for (const char* bad : {"", " ", "abc", "31012x", "0x10", "0", "-1", "65536", "99999999999", "12 34"})
        EXPECT_FALSE(parsePortText(bad).has_value()) << bad;
}

TEST(TableNames, KeyFilterAndTextRule)
{
    for (char32_t k : {U'0', U'9', U'A', U'Z', U'a', U'z', char32_t(8)}) EXPECT_TRUE(tableNameKeyAccepted(k));
    for (char32_t k : {U'-', U' ', U'_', U'/', U'.', U'\u00e4', char32_t(0), char32_t(127), U'@', U'['})
        EXPECT_FALSE(tableNameKeyAccepted(k)) << static_cast<unsigned>(k);
    EXPECT_EQ(filterTableName("ab-c d_1"), "abcd1");
    EXPECT_EQ(filterTableName("A1234567890"), "A1234567");
    EXPECT_EQ(filterTableName("\xc3\xa4x/y"), "xy");
    EXPECT_EQ(limitStationId("STATION123"), "STATION1");
    EXPECT_EQ(limitStationId(""), "");
}

namespace {

struct Dialog {
    ConfigValues v;
    UdpSenderTarget udp;
    HomeLocation home{1.0, 2.0, true};
    std::vector<std::string> errors;
    bool click()
    {
        return Button1Click(v, udp, home, [this](const std::string& m) { errors.push_back(m); });
    }
};

} // namespace

TEST(SaveAndClose, Steps)
{
    Dialog d;
    d.v.Edit1 = "10.1.1.1";
    d.v.Edit2 = "31022";
    d.v.ednorth = "N51 28.500";
    d.v.edeast = "E007 12.250";
    EXPECT_TRUE(d.click());
    EXPECT_TRUE(d.errors.empty());
    EXPECT_EQ(d.udp.host, "10.1.1.1");
    EXPECT_EQ(d.udp.port, 31022);
    EXPECT_DOUBLE_EQ(d.home.lat, 51.475);
    EXPECT_NEAR(d.home.lon, 7.2041666666, 1e-9);
    EXPECT_TRUE(d.home.use); // follows cblocal, not this button

    // A bad port keeps the old one and the home location still applies.
    d.v.Edit2 = "31x";
    d.v.ednorth = "S33 52.000";
    d.v.edeast = "W151 12.600";
    EXPECT_TRUE(d.click());
    EXPECT_EQ(d.errors, std::vector<std::string>{"Conversion error for port"});
    EXPECT_EQ(d.udp.port, 31022);
    EXPECT_NEAR(d.home.lat, -33.8666666667, 1e-9);
    EXPECT_NEAR(d.home.lon, -151.21, 1e-9);

    // Both empty: no home location, the dialog closes.
    d.errors.clear();
    d.v.Edit2 = "31012";
    d.v.ednorth.clear();
    d.v.edeast.clear();
    EXPECT_TRUE(d.click());
    EXPECT_TRUE(d.errors.empty());
    EXPECT_EQ(d.home.lat, 0.0);
    EXPECT_EQ(d.home.lon, 0.0);
}

TEST(SaveAndClose, HomeLocationErrorsKeepTheDialogOpen)
{
    const struct {
        const char *north, *east;
    } bad[] = {{"N51 28.500", ""}, {"", "E007 12.250"}, {"N90 00.000", "E007 12.250"}, {"N51 28.500", "E180 00.000"},
               {"N51 28.500", "N007 12.250"}};
    for (const auto& b : bad) {
        Dialog d;
        d.v.ednorth = b.north;
        d.v.edeast = b.east;
        EXPECT_FALSE(d.click()) << b.north << "|" << b.east;
        EXPECT_EQ(d.errors, std::vector<std::string>{"Conversion error for home location"});
        EXPECT_EQ(d.home.lat, 0.0);
        EXPECT_EQ(d.home.lon, 0.0);
    }
    Dialog noBox; // no message box wired: still no crash
    noBox.v.ednorth = "x";
    EXPECT_FALSE(Button1Click(noBox.v, noBox.udp, noBox.home, nullptr));
}
