// I/Q bytes through the processing tick: the fast scan must give exactly the frames of the plain scan.
// The input lands at the start and again at the very end of an otherwise quiet buffer, so both the
// ordinary case and the buffer end are exercised; one buffer per side keeps the run short.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "demod/magnitude.h"
#include "receiver/receiver.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

constexpr size_t kBufferBytes = 2 * static_cast<size_t>(kPairsPerBuffer);

struct Capture final : FrameOutput {
    std::vector<RawFrame> frames;
    void emitModeSFrame(const RawFrame& f) override { frames.push_back(f); }
};

struct Side {
    VirtualClock clock;
    NullLineSink lines;
    Receiver rx{clock, lines};
    Capture out;
    explicit Side(bool reference)
    {
        rx.tick.setFrameOutput(&out);
        rx.tick.setReferenceScan(reference);
    }
};

void compare(const Side& fast, const Side& plain)
{
    FUZZ_CHECK(fast.out.frames.size() == plain.out.frames.size(), "fast %zu frames, plain %zu",
               fast.out.frames.size(), plain.out.frames.size());
    for (size_t i = 0; i < fast.out.frames.size(); ++i) {
        const RawFrame& a = fast.out.frames[i];
        const RawFrame& b = plain.out.frames[i];
        FUZZ_CHECK(a.sampleIndex == b.sampleIndex && a.length == b.length && a.df == b.df && a.level == b.level &&
                       std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0 &&
                       std::memcmp(a.address, b.address, sizeof a.address) == 0 && a.timeUs == b.timeUs &&
                       a.deltaUs == b.deltaUs,
                   "frame %zu differs (sample %d vs %d)", i, a.sampleIndex, b.sampleIndex);
        FUZZ_CHECK(a.length == 7 || a.length == 14, "length %d", a.length);
        FUZZ_CHECK(a.level >= 0 && a.level <= 181 && a.level != 26, "level %d", a.level);
        FUZZ_CHECK(a.deltaUs >= 0 && a.deltaUs <= 99999, "delta %lld", static_cast<long long>(a.deltaUs));
        FUZZ_CHECK(a.sampleIndex >= 16 && a.sampleIndex < kScanLimit, "frame outside the scan at %d", a.sampleIndex);
    }
    FUZZ_CHECK(fast.rx.tick.lastNoise == plain.rx.tick.lastNoise, "noise %d vs %d", fast.rx.tick.lastNoise,
               plain.rx.tick.lastNoise);
    FUZZ_CHECK(fast.rx.tick.counters.packetCounter == plain.rx.tick.counters.packetCounter &&
                   static_cast<size_t>(fast.rx.tick.counters.packetCounter) == fast.out.frames.size(),
               "packet counters %d vs %d", fast.rx.tick.counters.packetCounter, plain.rx.tick.counters.packetCounter);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::vector<uint8_t> buffer(kBufferBytes);
    // Quiet: both components at the zero level.
    std::memset(buffer.data(), 127, buffer.size());
    const size_t n = size < kBufferBytes / 2 ? size : kBufferBytes / 2;
    if (n > 0) {
        std::memcpy(buffer.data(), data, n);
        std::memcpy(buffer.data() + kBufferBytes - n, data + size - n, n);
    }

    auto fast = std::make_unique<Side>(false);
    auto plain = std::make_unique<Side>(true);
    fast->rx.audiotimerTimer(buffer.data());
    plain->rx.audiotimerTimer(buffer.data());
    // Shows whether a seed reaches the comparison of frames.
    if (std::getenv("VARNOCK_FUZZ_VERBOSE")) std::fprintf(stderr, "%zu frames\n", fast->out.frames.size());
    compare(*fast, *plain);
    return 0;
}
