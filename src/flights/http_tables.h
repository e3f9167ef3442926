// The HTTP server's texts: three aircraft tables, the status page and the greeting, built from the receiver's state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/flight.h"

namespace varnock {

class AircraftTable;
class Clock;
struct CommandLineOptions;
struct Controls;
struct HomeLocation;

// The receiver state the pages read (Receiver::httpSources()).
struct HttpSources {
    const AircraftTable& table;
    const HomeLocation& home;
    const Controls& controls;
    const CommandLineOptions& options;
};

// Texts of the configuration dialog that the pages read at every request.
struct HttpConfig {
    std::string table[4]; // edtable1..edtable4; an empty name is the document "/"
    std::string stationId; // edid
    std::string udpHost;   // Edit1, as typed
    std::string udpPort;   // Edit2, as typed
};

// Device and window state shown on the status page that the receiver core does not hold.
struct HttpDeviceState {
    std::string versionText = "V " VARNOCK_VERSION;
    std::string commandLine;
    int tunerType = 0; // 0 before any device was opened
    double currentGainDb = 24.0;
    bool tunerAgc = true; // "Tuner AGC" down
    bool rtlAgc = true;   // "RTL AGC" down
    bool explorerVisible = false;
    bool explorerLive = false; // sblive down
};

struct HttpPageInputs {
    HttpConfig config;
    HttpDeviceState device;
};

enum class HttpPage { Table1, Table2, Table3, Status, Greeting };

struct HttpReply {
    HttpPage page = HttpPage::Greeting;
    std::string body;
    bool compress = false;     // body is to be sent as raw DEFLATE ("application/gzip")
    bool nodata = false;       // a table refused: the decoder state leaves the table untouched
    int ledColour = 16711808;  // ALed10's colour after the request
    bool ledOn = false;        // ALed10 switched on by the request
    const char* contentType() const { return compress ? "application/gzip" : "text/plain"; }
};

// One request: `path` is the document without its query; `gzipOne` is true when the query
// parameter "gzip" (name in any case) is exactly "1". The receiver is only read.
HttpReply http1CommandGet(std::string_view path, bool gzipOne, const HttpSources& rx, const HttpPageInputs& in);

// Which page a document names: the first table name that matches exactly, else the greeting.
HttpPage httpDispatch(std::string_view path, const HttpConfig& cfg);

// The body of table n (1-4, 4 being the status page) as a request for it would get it, uncompressed
// ("NODATA" when the decoder state refuses tables). Anything else gives an empty text.
std::string httpTableText(int n, const HttpSources& rx, const HttpPageInputs& in = {});

// Line builders; `now` in shifted Unix seconds.
void appendTable1Line(std::string& out, const TFlight& f, std::string_view station);
void appendTable2Line(std::string& out, const TFlight& f, int64_t now, std::string_view station);
void appendTable3Line(std::string& out, const TFlight& f);
std::string statusPage(const HttpSources& rx, const HttpPageInputs& in);
std::string greetingPage(std::string_view document, std::string_view versionText);

// "VARNOCK" when the station identifier is empty.
std::string_view stationName(const HttpConfig& cfg);

// Field formatters.
namespace httpfmt {
void appendInt(std::string& out, int64_t v);   // empty below -998
void appendInt5(std::string& out, int64_t v);  // empty below -99998
void appendAge(std::string& out, int64_t v);   // empty at 1000001 and above
void appendPlain(std::string& out, int64_t v);
void appendFloat(std::string& out, double v);  // up to 15 significant digits, ".", no exponent; empty at -999.0 and below
void appendFloatCut(std::string& out, double v, std::size_t n); // Float8 / Float9
void appendTrim(std::string& out, std::string_view s);
void appendFlag(std::string& out, bool b);
void appendVs100(std::string& out, int32_t vrate);
} // namespace httpfmt

// Computed table 2 columns; kUnknown when they cannot be computed.
struct Wind {
    int32_t direction = kUnknown;
    int32_t speed = kUnknown;
};
Wind windOf(const TFlight& f);
int32_t staticAirTemperature(const TFlight& f);

} // namespace varnock
