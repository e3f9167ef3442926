// varnock-replay: the receiver core over an I/Q file or a synthesized sky, on a virtual clock.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "buffer_source.h"
#include "receiver/receiver.h"
#include "receiver/replay_driver.h"
#include "demod/magnitude.h"
#include "flights/http_tables.h"
#include "replay_options.h"
#include "replay_outputs.h"
#include "serve.h"

using namespace varnock;

namespace {

constexpr int64_t kModeSRate = 2000000;
constexpr int64_t kModeACRate = 2068965;

// The receiver as the replay runs it: "MODE-S" (or "MODE-AC") down and the aircraft view of the list.
void configure(Receiver& rx, const replay::Options& opt)
{
    rx.controls.sbmodes = !opt.modeac;
    rx.controls.sbmodeac = opt.modeac;
    rx.controls.sblist = false;
    rx.controls.mainWindowVisible = opt.list;
    rx.options.avr = opt.raw == "avr";
    rx.options.ascii = opt.raw == "ascii";
    rx.options.multilat1 = opt.multilat;
    rx.options.cntr = opt.cntr;
    rx.options.newp = opt.newp;
    rx.tick.setReferenceScan(opt.referenceScan);
}

void printSummary(const replay::ReplayOutputs& out, const Receiver& rx, uint64_t buffers, double wall, bool modeac)
{
    if (modeac) {
        std::fprintf(stderr, "buffers processed: %llu\n", static_cast<unsigned long long>(buffers));
        std::fprintf(stderr, "Mode A/C replies accepted: %llu\n", static_cast<unsigned long long>(out.replies));
        std::fprintf(stderr, "distinct codes accepted: %llu\n", static_cast<unsigned long long>(out.distinctCodes));
    } else {
        std::string perDf;
        for (int df = 0; df < 32; ++df) {
            if (!out.perDf[df]) continue;
            if (!perDf.empty()) perDf += ", ";
            perDf += "df " + std::to_string(df) + ": " + std::to_string(out.perDf[df]);
        }
        std::fprintf(stderr, "buffers processed: %llu\n", static_cast<unsigned long long>(buffers));
        std::fprintf(stderr, "frames accepted: %llu (%s)\n", static_cast<unsigned long long>(out.frames),
                     perDf.empty() ? "none" : perDf.c_str());
        std::fprintf(stderr, "distinct addresses accepted: %llu\n", static_cast<unsigned long long>(out.distinctAddresses));
        std::fprintf(stderr, "aircraft in the table at the end: %d\n", rx.table.countInUse());
    }
    const double msps = wall > 0 ? static_cast<double>(buffers) * kPairsPerBuffer / wall / 1e6 : 0.0;
    std::fprintf(stderr, "wall time: %.3f s, %.1f Msamples/s\n", wall, msps);
}

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

    const int64_t rate = opt.modeac ? kModeACRate : kModeSRate;
    std::unique_ptr<replay::BufferSource> source;
    if (!opt.scenario.empty()) {
        const double bufferSeconds = static_cast<double>(kPairsPerBuffer) / static_cast<double>(rate);
        const auto buffers = static_cast<uint64_t>(opt.seconds / bufferSeconds + 0.999999);
        source = replay::openScenarioSource(opt.modeac ? "modeac" : opt.scenario, opt.seed, buffers < 1 ? 1 : buffers,
                                            error);
    } else {
        source = replay::openFileSource(opt.input, error);
    }
    if (!source) {
        std::fprintf(stderr, "varnock-replay: %s\n", error.c_str());
        return 1;
    }
    if (opt.serveBase >= 0) return replay::runServe(opt, *source);

    static char outBuf[1 << 16];
    std::setvbuf(stdout, outBuf, _IOFBF, sizeof outBuf);

    VirtualClock clock;
    replay::StdoutLineSink lines(opt.sbs);
    Receiver rx(clock, lines);
    configure(rx, opt);
    replay::StdoutRawSink rawSink;
    const bool raw = !opt.raw.empty();
    if (raw) rx.rawOutput.setRawSink(&rawSink);
    const bool plain = !raw && !opt.sbs && !opt.list && !opt.quiet && opt.httpTable == 0;
    replay::ReplayOutputs out(plain, raw ? &rx.rawOutput : nullptr, raw ? &rx.rawOutput : nullptr);
    rx.tick.setFrameOutput(&out);
    rx.modeacScan.setOutput(&out);

    ReplayDriver driver(rx, clock, rate);
    std::vector<uint8_t> buffer(kBytesPerBuffer);
    const auto wall0 = std::chrono::steady_clock::now();
    while (source->next(buffer.data())) driver.feed(buffer.data());
    driver.finish();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

    if (opt.list)
        for (const auto& item : rx.list.items()) std::fprintf(stdout, "%s\n", item.text.c_str());
    if (opt.httpTable > 0) {
        const std::string table = httpTableText(opt.httpTable, rx.httpSources());
        std::fwrite(table.data(), 1, table.size(), stdout);
    }
    std::fflush(stdout);

    if (!source->error().empty()) {
        std::fprintf(stderr, "varnock-replay: %s\n", source->error().c_str());
        return 1;
    }
    if (driver.buffers() == 0) {
        std::fprintf(stderr, "varnock-replay: the input holds less than one buffer (%d bytes)\n", kBytesPerBuffer);
        return 1;
    }
    printSummary(out, rx, driver.buffers(), wall, opt.modeac);
    const std::string note = source->endNote();
    if (!note.empty()) std::fprintf(stderr, "note: %s\n", note.c_str());
    return 0;
}
