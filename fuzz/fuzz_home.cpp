// The home-location and port texts of the configuration dialog: a text is taken only as a coordinate
// within its hemisphere and limit, and the dialog's OK sets the home location exactly when both
// coordinates are taken.
//
// Input: latitude text, zero byte, longitude text, zero byte, port text.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/config_values.h"
#include "core/home_location.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

void checkCoordinate(const std::string& text, std::optional<double> v, char negative, int limit)
{
    if (!v) return;
    FUZZ_CHECK(std::isfinite(*v) && std::fabs(*v) < limit + 1, "%s gives %f", text.c_str(), *v);
    FUZZ_CHECK(*v == 0.0 || (*v < 0) == (text[0] == negative), "%s gives %f: wrong hemisphere", text.c_str(), *v);
    // The letter is the only sign: none may follow it.
    FUZZ_CHECK(text.find_first_of("+-", 1) == std::string::npos, "%s taken with a sign in it", text.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size && parts.size() <= 3; ++i) {
        if (data[i] == 0) parts.emplace_back();
        else parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(3);
    const std::string& north = parts[0];
    const std::string& east = parts[1];

    const auto lat = parseLatitude(north);
    const auto lon = parseLongitude(east);
    checkCoordinate(north, lat, 'S', 89);
    checkCoordinate(east, lon, 'W', 179);
    const auto port = parsePortText(parts[2]);
    FUZZ_CHECK(!port || (*port >= 1 && *port <= 65535), "port %d", *port);

    ConfigValues v;
    v.ednorth = north;
    v.edeast = east;
    v.Edit1 = "127.0.0.1";
    v.Edit2 = parts[2];
    UdpSenderTarget udp;
    HomeLocation home;
    home.lat = home.lon = 1.5;
    int errors = 0;
    Button1Click(v, udp, home, [&errors](const std::string&) { ++errors; });
    if (lat && lon) {
        FUZZ_CHECK(home.lat == *lat && home.lon == *lon, "home %f %f for %f %f", home.lat, home.lon, *lat, *lon);
    } else {
        FUZZ_CHECK(home.lat == 0.0 && home.lon == 0.0, "home %f %f from texts that are no coordinates", home.lat,
                   home.lon);
    }
    if (port) FUZZ_CHECK(udp.port == *port, "udp port %d for %d", udp.port, *port);
    return 0;
}
