// What the replay writes to stdout, and the counts of its summary.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_sink.h"
#include "core/output_sinks.h"
#include "demod/modeac_reply.h"
#include "demod/raw_frame.h"

namespace varnock::replay {

// The 30003-style lines, as to one connected client.
class StdoutLineSink final : public LineSink {
public:
    explicit StdoutLineSink(bool on) : on_(on) {}
    bool anyLineClient() const override { return on_; }
    void sendToLineClients(std::string_view line) override { std::fwrite(line.data(), 1, line.size(), stdout); }

private:
    bool on_;
};

// The raw TCP client's bytes.
class StdoutRawSink final : public RawSink {
public:
    bool rawClientConnected() const override { return true; }
    void sendToRawClient(const uint8_t* data, std::size_t n) override { std::fwrite(data, 1, n, stdout); }
};

// Counts every accepted frame and reply; writes "*HEX;" / "*ABCD;" lines when `plainLines`, and
// forwards to `next` (the raw output) when set.
class ReplayOutputs final : public FrameOutput, public ModeACOutput {
public:
    ReplayOutputs(bool plainLines, FrameOutput* nextFrames, ModeACOutput* nextReplies);

    void emitModeSFrame(const RawFrame& f) override;
    void emitModeACReply(const ModeACReply& r) override;

    uint64_t perDf[32] = {};
    uint64_t frames = 0;
    uint64_t distinctAddresses = 0;
    uint64_t replies = 0;
    uint64_t distinctCodes = 0;

private:
    bool plain_;
    FrameOutput* nextFrames_;
    ModeACOutput* nextReplies_;
    std::vector<uint64_t> seenAddress_;
    std::vector<bool> seenCode_;
};

} // namespace varnock::replay
