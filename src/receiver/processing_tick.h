// The processing tick: one run per completed SampleBuffer - magnitudes, noise, then the Mode-S scan.
#pragma once

#include <cstdint>
#include <memory>

#include "core/controls.h"
#include "demod/modes_scan.h"
#include "demod/raw_frame.h"
#include "demod/tick_counters.h"
#include "demod/tick_hooks.h"

namespace varnock {

class AircraftTable;

class ProcessingTick final : public TickStatistics, private CandidateSink {
public:
    ProcessingTick(AircraftTable& table, const Controls& controls);
    ~ProcessingTick() override;

    // Optional collaborators (null = absent).
    void setFrameOutput(FrameOutput* out) { output_ = out; }
    void setListBracket(ListBracket* b) { bracket_ = b; }
    void setMagnitudeTap(MagnitudeTap* t) { tap_ = t; }
    void setModeACScanner(ModeACScanner* s) { modeac_ = s; }
    // Plain scan instead of the vector pre-check (tests compare the two).
    void setReferenceScan(bool on) { referenceScan_ = on; }

    // `readyBuffer`: SampleBuffer[ready index] (2,048,000 bytes), or null while the ready index is -1.
    void audiotimerTimer(const uint8_t* readyBuffer);

    int lastNoise = 0;
    // The clipped magnitudes the last Mode-S scan read (not filled by the plain scan or Mode A/C).
    const uint8_t* magnitudes() const { return m8_.get(); }

private:
    bool onCandidate(RawFrame& f) override;
    void countNoise();

    AircraftTable& table_;
    const Controls& controls_;
    FrameOutput* output_ = nullptr;
    ListBracket* bracket_ = nullptr;
    MagnitudeTap* tap_ = nullptr;
    ModeACScanner* modeac_ = nullptr;
    bool referenceScan_ = false;
    std::unique_ptr<uint16_t[]> m_;  // 16-bit: the explorer, Mode A/C and the plain scan
    std::unique_ptr<uint8_t[]> m8_;  // bytes: the Mode-S scan
};

} // namespace varnock
