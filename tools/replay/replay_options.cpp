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
    if (!o.input.empty() && !o.scenario.empty()) {
        error = "give either an input file or --scenario, not both";
        return false;
    }
    return true;
}

} // namespace varnock::replay
