// varnock-synth: writes a synthesized sky as an 8-bit I/Q capture (2 Msps, I first), for replays and benchmarks.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demod/magnitude.h"
#include "synth/scenario.h"

namespace {

const char* kUsage =
    "usage: varnock-synth [--scenario demo|busy] [--seconds N] [--seed S] -o FILE|-\n"
    "Writes whole buffers of 2,048,000 bytes (0.512 s each) of the chosen synthesized sky.\n"
    "  demo: about twenty aircraft, no overlapping frames; busy: a hundred aircraft at real rates.\n";

bool parseNumber(const char* v, double& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtod(v, &end);
    return !errno && end != v && !*end && std::isfinite(out);
}

} // namespace

int main(int argc, char** argv)
{
    std::string scenario = "demo";
    std::string output;
    double seconds = 10.0;
    double seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--scenario" && hasValue) {
            scenario = argv[++i];
        } else if (a == "--seconds" && hasValue) {
            if (!parseNumber(argv[++i], seconds) || seconds <= 0 || seconds > 86400) {
                std::fprintf(stderr, "varnock-synth: --seconds needs a number in (0, 86400]\n");
                return 2;
            }
        } else if (a == "--seed" && hasValue) {
            if (!parseNumber(argv[++i], seed) || seed < 0 || seed != std::floor(seed)) {
                std::fprintf(stderr, "varnock-synth: --seed needs a whole number\n");
                return 2;
            }
        } else if (a == "-o" && hasValue) {
            output = argv[++i];
        } else {
            std::fprintf(stderr, "varnock-synth: unexpected argument '%s'\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    if (output.empty() || (scenario != "demo" && scenario != "busy")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const auto s = static_cast<uint64_t>(seed);
    varnock::synth::Scenario sky(scenario == "demo" ? varnock::synth::demoSkyParams(s) : varnock::synth::busySkyParams(s));
    std::FILE* f = output == "-" ? stdout : std::fopen(output.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "varnock-synth: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
        return 1;
    }
    const auto buffers = static_cast<uint64_t>(std::ceil(seconds / 0.512));
    std::vector<uint8_t> buf(varnock::kBytesPerBuffer);
    for (uint64_t n = 0; n < buffers; ++n) {
        sky.renderBuffer(n, buf.data());
        if (std::fwrite(buf.data(), 1, buf.size(), f) != buf.size()) {
            std::fprintf(stderr, "varnock-synth: write failed: %s\n", std::strerror(errno));
            return 1;
        }
        if (output != "-" && (n + 1) % 20 == 0)
            std::fprintf(stderr, "\r%llu/%llu buffers", static_cast<unsigned long long>(n + 1),
                         static_cast<unsigned long long>(buffers));
    }
    if (output != "-") std::fprintf(stderr, "\r%llu/%llu buffers\n", static_cast<unsigned long long>(buffers),
                                    static_cast<unsigned long long>(buffers));
    if (f != stdout && std::fclose(f) != 0) {
        std::fprintf(stderr, "varnock-synth: closing %s failed: %s\n", output.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
