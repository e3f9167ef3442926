// The processing tick: the spine of the receiver, run on the main thread once per completed buffer.
#include "receiver/processing_tick.h"

#include "flights/acceptance.h"
#include "demod/magnitude.h"
#include "flights/aircraft_table.h"

namespace varnock {

ProcessingTick::ProcessingTick(AircraftTable& table, const Controls& controls)
    : table_(table), controls_(controls), m_(new uint16_t[kPairsPerBuffer]()), m8_(new uint8_t[kPairsPerBuffer]())
{
}

ProcessingTick::~ProcessingTick() = default;

void ProcessingTick::audiotimerTimer(const uint8_t* readyBuffer)
{
    if (!readyBuffer) return;
    if (++counters.bufferCounterLow == 0) ++counters.bufferCounterHigh;

    if (bracket_) bracket_->beginUpdate();
    if (controls_.sbmodes && !referenceScan_) {
        // The explorer wants the values before clipping; only then are 16-bit magnitudes made.
        if (tap_ && tap_->isLive()) {
            computeMagnitudes(readyBuffer, m_.get(), kPairsPerBuffer);
            tap_->onMagnitudes(m_.get(), kPairsPerBuffer);
        }
        lastNoise = clippedMagnitudesWithNoise(readyBuffer, m8_.get(), kPairsPerBuffer);
        countNoise();
        scanModeS(m8_.get(), *this);
    } else if (controls_.sbmodes || controls_.sbmodeac) {
        uint16_t* m = m_.get();
        computeMagnitudes(readyBuffer, m, kPairsPerBuffer);
        if (tap_ && tap_->isLive()) tap_->onMagnitudes(m, kPairsPerBuffer);
        lastNoise = estimateNoiseAndClip(m, kPairsPerBuffer);
        countNoise();
        if (controls_.sbmodes) scanModeSReference(m, *this);
        else if (modeac_) modeac_->scan(m, lastNoise);
    }
    if (bracket_) bracket_->endUpdate();
}

void ProcessingTick::countNoise()
{
    counters.noiseSum = static_cast<uint16_t>(counters.noiseSum + lastNoise);
    counters.noiseCount = static_cast<uint16_t>(counters.noiseCount + 1);
}

bool ProcessingTick::onCandidate(RawFrame& f)
{
    if (!validateAndFile(f, table_)) return false;
    stampOf(counters, f.sampleIndex, f.stamp);
    int64_t v = 0;
    for (int i = 0; i < 6; ++i) v = (v << 8) | f.stamp[i];
    f.timeUs = v / 2;
    f.deltaUs = f.timeUs - counters.previousTimeUs;
    counters.previousTimeUs = f.timeUs;
    if (f.deltaUs > 99999) f.deltaUs = 99999;
    if (output_) output_->emitModeSFrame(f);
    counters.packetCounter += 1;
    counters.modeSTotal += 1;
    return true;
}

} // namespace varnock
