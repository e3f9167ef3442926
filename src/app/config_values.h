// Configuration dialog values: UDP target, home location, station ID and table names, and "Save + close".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/home_location.h"
#include "flights/http_tables.h"

namespace varnock {

struct Settings;

inline constexpr std::size_t kStationIdMaxLength = 8;
inline constexpr std::size_t kTableNameMaxLength = 8;
// Hemisphere letter and at most 55 characters after it.
inline constexpr std::size_t kHomeCoordinateMaxLength = 56;

// The dialog's field texts, as typed; they are saved at exit whether or not "Save + close" ran.
struct ConfigValues {
    std::string Edit1 = "127.0.0.1"; // UDP target host
    std::string Edit2 = "31012";     // UDP target port, as text
    bool cblocal = false;            // "Use" the home location
    std::string ednorth;             // e.g. "N51 28.500"
    std::string edeast;              // e.g. "E007 12.250"
    std::string edid;                // station identifier
    std::string edtable[4];          // HTTP table names

    // What the HTTP pages read at each request.
    HttpConfig httpConfig() const;
};

// Fields from the settings file; the home numbers go to `home` (the texts to the fields).
void loadConfigValues(const Settings& s, ConfigValues& v, HomeLocation& home);
void storeConfigValues(const ConfigValues& v, const HomeLocation& home, Settings& s);

// Key filter of the table name fields: backspace, 0-9, A-Z and a-z pass.
bool tableNameKeyAccepted(char32_t key);
// The same rule applied to a whole text (a paste): other characters dropped, at most 8 kept.
std::string filterTableName(std::string_view text);
// At most 8 characters.
std::string limitStationId(std::string_view text);

// One coordinate of the home location text: hemisphere letter, whole degrees, a blank, minutes.
// positive/negative: 'N'/'S' with limit 89, or 'E'/'W' with limit 179. Empty on any error, and for a
// text longer than kHomeCoordinateMaxLength.
std::optional<double> parseHomeCoordinate(std::string_view text, char positive, char negative, int limit);
std::optional<double> parseLatitude(std::string_view text);  // N/S, 89
std::optional<double> parseLongitude(std::string_view text); // E/W, 179

// Decimal port 1..65535, blanks around allowed.
std::optional<int> parsePortText(std::string_view text);

struct UdpSenderTarget {
    std::string host = "127.0.0.1";
    int port = 31012;
};

// Message box with the error icon and an empty caption.
using ConfigErrorFn = std::function<void(const std::string& message)>;

// "Save + close": applies the UDP target and the home location. True when the dialog closes,
// false when a home location error keeps it open. `home.use` follows cblocal elsewhere and is
// not touched.
bool Button1Click(const ConfigValues& v, UdpSenderTarget& udp, HomeLocation& home, const ConfigErrorFn& showError);

} // namespace varnock
