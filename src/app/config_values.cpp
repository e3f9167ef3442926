// Configuration dialog logic without widgets: field rules, home location parsing and "Save + close".
#include "app/config_values.h"

#include <charconv>
#include <cmath>

#include "app/settings.h"
#include "core/ascii_text.h"

namespace varnock {

namespace {

bool isNameChar(char32_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

HttpConfig ConfigValues::httpConfig() const
{
    HttpConfig c;
    for (int i = 0; i < 4; ++i) c.table[i] = edtable[i];
    c.stationId = edid;
    c.udpHost = Edit1;
    c.udpPort = Edit2;
    return c;
}

void loadConfigValues(const Settings& s, ConfigValues& v, HomeLocation& home)
{
    v.Edit1 = s.udpIp;
    v.Edit2 = s.udpPort;
    v.cblocal = s.homeUse;
    v.ednorth = s.homeSNorth;
    v.edeast = s.homeSEast;
    v.edid = s.id;
    v.edtable[0] = s.table1;
    v.edtable[1] = s.table2;
    v.edtable[2] = s.table3;
    v.edtable[3] = s.table4;
    home.lat = s.homeNorth;
    home.lon = s.homeEast;
    home.use = s.homeUse;
}

void storeConfigValues(const ConfigValues& v, const HomeLocation& home, Settings& s)
{
    s.udpIp = v.Edit1;
    s.udpPort = v.Edit2;
    s.homeUse = v.cblocal;
    s.homeSNorth = v.ednorth;
    s.homeSEast = v.edeast;
    s.id = v.edid;
    s.table1 = v.edtable[0];
    s.table2 = v.edtable[1];
    s.table3 = v.edtable[2];
    s.table4 = v.edtable[3];
    s.homeNorth = home.lat;
    s.homeEast = home.lon;
}

bool tableNameKeyAccepted(char32_t key) { return key == 8 || isNameChar(key); }

std::string filterTableName(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (out.size() == kTableNameMaxLength) break;
        if (isNameChar(static_cast<unsigned char>(c))) out += c;
    }
    return out;
}

std::string limitStationId(std::string_view text) { return std::string(text.substr(0, kStationIdMaxLength)); }

std::optional<double> parseHomeCoordinate(std::string_view text, char positive, char negative, int limit)
{
    // Longer text is not a coordinate pasted from a map program: refused whole, never read in part.
    if (text.size() < 2 || text.size() > kHomeCoordinateMaxLength) return std::nullopt;
    if (text[0] != positive && text[0] != negative) return std::nullopt;
    const double sign = text[0] == negative ? -1.0 : 1.0;
    const std::string_view rest = text.substr(1);
    const std::size_t blank = rest.find(' ');
    const std::string_view degText = rest.substr(0, blank);
    // Digits only: a sign after the hemisphere letter would flip it.
    if (degText.empty()) return std::nullopt;
    int d = 0;
    for (char c : degText) {
        if (c < '0' || c > '9') return std::nullopt;
        d = d * 10 + (c - '0');
        if (d > limit) return std::nullopt;
    }
    double value = sign * d;
    if (blank != std::string_view::npos && blank + 1 < rest.size()) {
        const std::string_view minText = trimmed(rest.substr(blank), kSpacesAndTabs);
        double m = 0.0;
        // Always "." whatever the locale; from_chars does not look at it.
        auto r = std::from_chars(minText.data(), minText.data() + minText.size(), m, std::chars_format::fixed);
        if (minText.empty() || r.ec != std::errc() || r.ptr != minText.data() + minText.size()) return std::nullopt;
        // from_chars reads a minus: "-0" would pass the range test below.
        if (minText.front() == '-') return std::nullopt;
        // Minutes of 60 or more would carry past the degree limit.
        if (!(m >= 0.0 && m < 60.0)) return std::nullopt;
        value += sign * m / 60.0;
        // Minutes a hair below 60 can round the sum up to the first degree past the limit.
        if (std::fabs(value) >= limit + 1) return std::nullopt;
    }
    return value;
}

std::optional<double> parseLatitude(std::string_view text) { return parseHomeCoordinate(text, 'N', 'S', 89); }
std::optional<double> parseLongitude(std::string_view text) { return parseHomeCoordinate(text, 'E', 'W', 179); }

std::optional<int> parsePortText(std::string_view text)
{
    text = trimmed(text, kSpacesAndTabs);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int port = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

bool Button1Click(const ConfigValues& v, UdpSenderTarget& udp, HomeLocation& home, const ConfigErrorFn& showError)
{
    auto error = [&showError](const char* text) {
        if (showError) showError(text);
    };
    udp.host = v.Edit1;
    if (auto port = parsePortText(v.Edit2))
        udp.port = *port;
    else
        error("Conversion error for port");
    home.lat = 0.0;
    home.lon = 0.0;
    if (v.ednorth.empty() && v.edeast.empty()) return true;
    std::optional<double> lat = parseLatitude(v.ednorth);
    std::optional<double> lon = lat ? parseLongitude(v.edeast) : std::nullopt;
    if (!lat || !lon) {
        error("Conversion error for home location");
        return false;
    }
    home.lat = *lat;
    home.lon = *lon;
    return true;
}

} // namespace varnock
