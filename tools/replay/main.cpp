// varnock-replay: the receiver core over an I/Q file or a synthesized sky, on a virtual clock.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "buffer_source.h"
#include "core/receiver.h"
#include "core/replay_driver.h"
#include "demod/magnitude.h"
#include "replay_options.h"

using namespace varnock;

namespace {

// Accepted frames to stdout as *HEX; lines, with the counts of the summary.
class StdoutFrames final : public FrameOutput {
public:
    explicit StdoutFrames(bool quiet) : quiet_(quiet), seen_((1u << 24) / 64, 0) {}

    void emitModeSFrame(const RawFrame& f) override
    {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        if (!quiet_) {
            char line[2 * 14 + 4];
            int n = 0;
            line[n++] = '*';
            for (int i = 0; i < f.length; ++i) {
                line[n++] = kDigits[f.bytes[i] >> 4];
                line[n++] = kDigits[f.bytes[i] & 15];
            }
            line[n++] = ';';
            line[n++] = '\n';
            std::fwrite(line, 1, static_cast<std::size_t>(n), stdout);
        }
        ++perDf[f.df & 31];
        ++total;
        uint32_t a = 0;
        for (int i = 0; i < 6; ++i) {
            const char c = f.address[i];
            a = (a << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
        }
        uint64_t& word = seen_[a >> 6];
        const uint64_t bit = uint64_t(1) << (a & 63);
        if (!(word & bit)) {
            word |= bit;
            ++distinct;
        }
    }

    uint64_t perDf[32] = {};
    uint64_t total = 0;
    uint64_t distinct = 0;

private:
    bool quiet_;
    std::vector<uint64_t> seen_;
};

} // namespace

int main(int argc, char** argv)
{
    replay::Options opt;
    std::string error;
    if (!replay::parseOptions(argc, argv, opt, error)) {
        if (error.empty()) {
            std::fputs(replay::usageText(), stdout);
            return 0;
        }
        std::fprintf(stderr, "varnock-replay: %s\n%s", error.c_str(), replay::usageText());
        return 2;
    }

    std::unique_ptr<replay::BufferSource> source;
    if (!opt.scenario.empty()) {
        const auto buffers = static_cast<uint64_t>((opt.seconds * 1000.0 + ReplayDriver::kBufferMs - 1) / ReplayDriver::kBufferMs);
        source = replay::openScenarioSource(opt.scenario, opt.seed, buffers < 1 ? 1 : buffers, error);
    } else {
        source = replay::openFileSource(opt.input, error);
    }
    if (!source) {
        std::fprintf(stderr, "varnock-replay: %s\n", error.c_str());
        return 1;
    }

    static char outBuf[1 << 16];
    std::setvbuf(stdout, outBuf, _IOFBF, sizeof outBuf);

    VirtualClock clock;
    NullLineSink lines;
    Receiver rx(clock, lines);
    // The aircraft view: "MODE-S" down, "List" up, so the round purges and decodes.
    rx.controls.sbmodes = true;
    rx.controls.sbmodeac = false;
    rx.controls.sblist = false;
    rx.controls.mainWindowVisible = false;
    StdoutFrames frames(opt.quiet);
    rx.tick.setFrameOutput(&frames);
    rx.tick.setReferenceScan(opt.referenceScan);

    ReplayDriver driver(rx, clock);
    std::vector<uint8_t> buffer(kBytesPerBuffer);
    const auto wall0 = std::chrono::steady_clock::now();
    while (source->next(buffer.data())) driver.feed(buffer.data());
    driver.finish();
    const uint64_t processed = driver.buffers();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    std::fflush(stdout);

    if (!source->error().empty()) {
        std::fprintf(stderr, "varnock-replay: %s\n", source->error().c_str());
        return 1;
    }
    if (processed == 0) {
        std::fprintf(stderr, "varnock-replay: the input holds less than one buffer (%d bytes)\n", kBytesPerBuffer);
        return 1;
    }

    std::string perDf;
    for (int df = 0; df < 32; ++df) {
        if (!frames.perDf[df]) continue;
        if (!perDf.empty()) perDf += ", ";
        perDf += "df " + std::to_string(df) + ": " + std::to_string(frames.perDf[df]);
    }
    const double msps = wall > 0 ? static_cast<double>(processed) * kPairsPerBuffer / wall / 1e6 : 0.0;
    std::fprintf(stderr, "buffers processed: %llu\n", static_cast<unsigned long long>(processed));
    std::fprintf(stderr, "frames accepted: %llu (%s)\n", static_cast<unsigned long long>(frames.total),
                 perDf.empty() ? "none" : perDf.c_str());
    std::fprintf(stderr, "distinct addresses accepted: %llu\n", static_cast<unsigned long long>(frames.distinct));
    std::fprintf(stderr, "aircraft in the table at the end: %d\n", rx.table.countInUse());
    std::fprintf(stderr, "wall time: %.3f s, %.1f Msamples/s\n", wall, msps);
    const std::string note = source->endNote();
    if (!note.empty()) std::fprintf(stderr, "note: %s\n", note.c_str());
    return 0;
}
