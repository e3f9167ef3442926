// The processing tick: one run per completed SampleBuffer - magnitudes, noise, then the Mode-S scan.
#pragma once

#include <cstdint>
#include <memory>

#include "core/controls.h"
#include "demod/modes_scan.h"
#include "demod/raw_frame.h"

namespace varnock {

class AircraftTable;

// Update bracket of the main window's list: lines added during one tick are painted once.
class ListBracket {
public:
    virtual ~ListBracket() = default;
    virtual void beginUpdate() = 0;
    virtual void endUpdate() = 0;
};

// The signals-in-space explorer's live tap: sees the unclipped magnitudes by reference.
class MagnitudeTap {
public:
    virtual ~MagnitudeTap() = default;
    virtual bool isLive() const = 0;
    virtual void onMagnitudes(const uint16_t* m, int count) = 0;
};

// The Mode A/C scan, run instead of the Mode-S scan while "MODE-AC" is down.
class ModeACScanner {
public:
    virtual ~ModeACScanner() = default;
    virtual void scan(const uint16_t* m, int noise) = 0;
};

// Counters kept across ticks; read and reset by the 2 s round.
struct TickCounters {
    uint32_t bufferCounterLow = 0;  // the 64-bit buffer counter as two halves
    uint32_t bufferCounterHigh = 0;
    uint16_t noiseSum = 0;
    uint16_t noiseCount = 0;
    int32_t packetCounter = 0;
    int64_t previousTimeUs = 0;

    uint64_t bufferCounter() const { return (uint64_t(bufferCounterHigh) << 32) | bufferCounterLow; }
    void resetBufferCounter() { bufferCounterLow = bufferCounterHigh = 0; }
};

// 48-bit sample clock of sample index i in the current buffer, most significant byte first.
void stampOf(const TickCounters& c, int sampleIndex, uint8_t out[6]);

class ProcessingTick final : private CandidateSink {
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

    // Once per 2 s round after PacketCounter was read: lights ALed1-5/ALed7 by rate, zeroes it.
    void packetRateIndicators(Leds& leds);

    TickCounters counters;
    int lastNoise = 0;
    const uint16_t* magnitudes() const { return m_.get(); }

private:
    bool onCandidate(RawFrame& f) override;

    AircraftTable& table_;
    const Controls& controls_;
    FrameOutput* output_ = nullptr;
    ListBracket* bracket_ = nullptr;
    MagnitudeTap* tap_ = nullptr;
    ModeACScanner* modeac_ = nullptr;
    bool referenceScan_ = false;
    std::unique_ptr<uint16_t[]> m_;
};

} // namespace varnock
