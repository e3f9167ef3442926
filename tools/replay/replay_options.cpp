// Option parsing for varnock-replay: GNU-style long options, every value checked.
#include "replay_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace varnock::replay {

const char* usageText()
{
    return "usage: varnock-replay [options] FILE|-\n"
           "       varnock-replay [options] --scenario demo [--seconds N] [--seed S]\n"
           "Runs the receiver over 8-bit unsigned I/Q samples at 2 Msps (I first), as fast as\n"
           "possible on a virtual clock, and writes each accepted Mode-S frame as *HEX; to stdout.\n"
           "A summary goes to stderr.\n"
           "  --scenario demo   synthesize the demo sky instead of reading a file\n"
           "  --seconds N       length of the scenario in seconds (default 30, at most 86400)\n"
           "  --seed S          seed of the scenario (default 1)\n"
           "  --quiet           do not write frames, only the summary\n"
           "  --sbs             write the 30003-style lines (as to one connected client)\n"
           "  --raw FORMAT      write the raw TCP output: binary, avr or ascii\n"
           "  --multilat        raw lines carry the sample-clock stamp\n"
           "  --cntr            packet list lines carry time and interval fields\n"
           "  --list            print the list as the last 2 s round leaves it\n"
           "  --modeac          Mode A/C replies at 2,068,965 S/s (the scenario is then the Mode A/C sky)\n"
           "  --newp            with --modeac: the alternative pulse detector\n"
           "  --http-table N    print HTTP table N (1-3; 4 is the status page) at the end\n"
           "  --serve BASE      open the servers on BASE+1 (raw), +2 (UDP), +4 (30003) and stream in real time\n"
           "                    (BASE 1..65527; the receiver itself uses 31000)\n"
           "  --reference-scan  use the plain preamble scan (for comparisons)\n"
           "  --help            this text\n";
}

namespace {

bool takeValue(int argc, char** argv, int& i, const char* name, const char*& value, std::string& error)
{
    const std::size_t n = std::strlen(name);
    const char* a = argv[i];
    if (std::strncmp(a, name, n) == 0 && a[n] == '=') {
        value = a + n + 1;
        return true;
    }
    if (std::strcmp(a, name) == 0) {
        if (i + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return false;
        }
        value = argv[++i];
        return true;
    }
    return false;
}

} // namespace

bool parseOptions(int argc, char** argv, Options& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = nullptr;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            error.clear();
            return false;
        }
        if (std::strcmp(a, "--quiet") == 0) {
            o.quiet = true;
        } else if (std::strcmp(a, "--sbs") == 0) {
            o.sbs = true;
        } else if (std::strcmp(a, "--multilat") == 0) {
            o.multilat = true;
        } else if (std::strcmp(a, "--cntr") == 0) {
            o.cntr = true;
        } else if (std::strcmp(a, "--list") == 0) {
            o.list = true;
        } else if (std::strcmp(a, "--modeac") == 0) {
            o.modeac = true;
        } else if (std::strcmp(a, "--newp") == 0) {
            o.newp = true;
        } else if (takeValue(argc, argv, i, "--raw", v, error)) {
            if (std::strcmp(v, "binary") != 0 && std::strcmp(v, "avr") != 0 && std::strcmp(v, "ascii") != 0) {
                error = std::string("--raw: '") + v + "' is not one of binary, avr, ascii";
                return false;
            }
            o.raw = v;
        } else if (takeValue(argc, argv, i, "--serve", v, error)) {
            char* end = nullptr;
            errno = 0;
            const long b = std::strtol(v, &end, 10);
            // 0 would silently mean the receiver's default base: make the user say which ports.
            if (errno || end == v || *end || b < 1 || b > 65535 - 8) {
                error = std::string("--serve: '") + v + "' is not a port base in 1..65527 (the receiver's default is 31000)";
                return false;
            }
            o.serveBase = static_cast<int>(b);
        } else if (takeValue(argc, argv, i, "--http-table", v, error)) {
            if (std::strlen(v) != 1 || v[0] < '1' || v[0] > '4') {
                error = std::string("--http-table: '") + v + "' is not 1, 2, 3 or 4";
                return false;
            }
            o.httpTable = v[0] - '0';
        } else if (std::strcmp(a, "--reference-scan") == 0) {
            o.referenceScan = true;
        } else if (takeValue(argc, argv, i, "--scenario", v, error)) {
            if (std::strcmp(v, "demo") != 0) {
                error = std::string("unknown scenario '") + v + "' (known: demo)";
                return false;
            }
            o.scenario = v;
        } else if (takeValue(argc, argv, i, "--seconds", v, error)) {
            char* end = nullptr;
            errno = 0;
            const double s = std::strtod(v, &end);
            if (errno || end == v || *end || !std::isfinite(s) || s <= 0 || s > 86400) {
                error = std::string("--seconds: '") + v + "' is not a number of seconds in (0, 86400]";
                return false;
            }
            o.seconds = s;
        } else if (takeValue(argc, argv, i, "--seed", v, error)) {
            char* end = nullptr;
            errno = 0;
            const unsigned long long s = std::strtoull(v, &end, 10);
            if (errno || end == v || *end || v[0] == '-') {
                error = std::string("--seed: '") + v + "' is not a whole number";
                return false;
            }
            o.seed = s;
        } else if (!error.empty()) {
            return false;
        } else if (a[0] == '-' && a[1] != 0) {
            error = std::string("unknown option '") + a + "'";
            return false;
        } else if (!o.input.empty()) {
            error = "more than one input file given";
            return false;
        } else {
            o.input = a;
        }
    }
    if (o.input.empty() && o.scenario.empty()) {
        error = "no input: give a file, - for stdin, or --scenario demo";
        return false;
    }
    if (o.newp && !o.modeac) {
        error = "--newp needs --modeac";
        return false;
    }
    if (!o.input.empty() && !o.scenario.empty()) {
        error = "give either an input file or --scenario, not both";
        return false;
    }
    return true;
}

} // namespace varnock::replay
