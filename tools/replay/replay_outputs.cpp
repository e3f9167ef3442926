// Replay outputs: plain frame lines, counts per downlink format, distinct addresses and codes.
#include "replay_outputs.h"

namespace varnock::replay {

ReplayOutputs::ReplayOutputs(bool plainLines, FrameOutput* nextFrames, ModeACOutput* nextReplies)
    : plain_(plainLines), nextFrames_(nextFrames), nextReplies_(nextReplies), seenAddress_((1u << 24) / 64, 0),
      seenCode_(8000, false)
{
}

void ReplayOutputs::emitModeSFrame(const RawFrame& f)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (plain_) {
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
    if (nextFrames_) nextFrames_->emitModeSFrame(f);
    ++perDf[f.df & 31];
    ++frames;
    uint32_t a = 0;
    for (int i = 0; i < 6; ++i) {
        const char c = f.address[i];
        a = (a << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    uint64_t& word = seenAddress_[(a & 0xFFFFFFu) >> 6];
    const uint64_t bit = uint64_t(1) << (a & 63);
    if (!(word & bit)) {
        word |= bit;
        ++distinctAddresses;
    }
}

void ReplayOutputs::emitModeACReply(const ModeACReply& r)
{
    if (plain_) std::fprintf(stdout, "*%s;\n", r.code);
    if (nextReplies_) nextReplies_->emitModeACReply(r);
    ++replies;
    const int code = r.a * 1000 + r.b * 100 + r.c * 10 + r.d;
    if (code >= 0 && code < 8000 && !seenCode_[static_cast<std::size_t>(code)]) {
        seenCode_[static_cast<std::size_t>(code)] = true;
        ++distinctCodes;
    }
}

} // namespace varnock::replay
