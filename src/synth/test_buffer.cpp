// Test fixture: frames and noise rendered through the transmitter model into one byte buffer.
#include "synth/test_buffer.h"

namespace varnock::synth {

void renderTestBuffer(std::span<const PlacedFrame> frames, double noiseSigma, uint64_t noiseSeed, uint8_t* out,
                      size_t pairs)
{
    SignalBuffer buffer(pairs);
    for (const PlacedFrame& f : frames) addFrame(buffer, f);
    buffer.addNoise(noiseSigma, noiseSeed);
    buffer.quantise(out);
}

std::vector<uint8_t> renderTestBuffer(std::span<const PlacedFrame> frames, double noiseSigma, uint64_t noiseSeed,
                                      size_t pairs)
{
    std::vector<uint8_t> out(2 * pairs);
    renderTestBuffer(frames, noiseSigma, noiseSeed, out.data(), pairs);
    return out;
}

} // namespace varnock::synth
