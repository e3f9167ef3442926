// RawOutput: each accepted frame or reply as list line, raw TCP line and UDP datagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/command_line_options.h"
#include "core/controls.h"
#include "core/output_sinks.h"
#include "demod/modeac_reply.h"
#include "demod/raw_frame.h"

namespace varnock {

class ListModel;

enum class RawFormat { Binary, Avr, Ascii };

// `avr` wins over `ascii`.
RawFormat rawFormatOf(const CommandLineOptions& options);

// Longest raw line: ascii of a long frame (44 bytes) or binary with every byte escaped (43).
constexpr std::size_t kRawLineMax = 64;

// Raw line of a Mode-S frame into `out`; returns its length. `withStamp` is `multilat1`.
std::size_t buildModeSRawLine(const RawFrame& f, RawFormat format, bool withStamp, uint8_t* out);
std::size_t buildModeACRawLine(const ModeACReply& r, RawFormat format, bool withStamp, uint8_t* out);

// 12-character time field of the list lines ("   1.234.567") and the 5-character interval field.
std::string listTimeField(int64_t timeUs);
std::string listDeltaField(int64_t deltaUs);
// List line of a Mode-S frame, with or without the `cntr` fields.
std::string modeSListLine(const RawFrame& f, bool cntr);
// List line of a Mode A/C reply seen for the first time in a row.
std::string modeACNewListLine(const ModeACReply& r, bool cntr);

class RawOutput final : public FrameOutput, public ModeACOutput {
public:
    // All referenced objects must outlive the output; null sinks or list mean "absent".
    RawOutput(const CommandLineOptions& options, const Controls& controls, Leds& leds)
        : options_(options), controls_(controls), leds_(leds)
    {
    }

    void setList(ListModel* list) { list_ = list; }
    void setRawSink(RawSink* raw) { raw_ = raw; }
    void setUdpSink(UdpSink* udp) { udp_ = udp; }
    // Aggregators: always binary with the receive-time stamp, whatever the local raw format.
    void setPushSink(RawSink* push) { push_ = push; }

    void emitModeSFrame(const RawFrame& frame) override;
    void emitModeACReply(const ModeACReply& reply) override;

    // A pile-up line that has grown this long starts a fresh line instead of growing further.
    static constexpr std::size_t kPileUpMax = 1000;

private:
    bool listWanted(bool evenHidden) const;
    void listModeAC(const ModeACReply& r);
    template <typename Item, typename Build>
    void deliver(const Item& item, Build build);

    const CommandLineOptions& options_;
    const Controls& controls_;
    Leds& leds_;
    ListModel* list_ = nullptr;
    RawSink* raw_ = nullptr;
    UdpSink* udp_ = nullptr;
    RawSink* push_ = nullptr;
    char lastCode_[5] = {};
};

} // namespace varnock
