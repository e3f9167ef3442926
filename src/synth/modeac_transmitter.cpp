// Mode A/C pulse trains on the float I/Q work buffer, and the Gillham encoder for Mode C codes.
#include "synth/modeac_transmitter.h"

#include <cmath>

namespace varnock::synth {

namespace {

// Bit n of the pulse mask is position 3n; code pulse names in transmit order.
enum Position { F1, C1, A1, C2, A2, C4, A4, X, B1, D1, B2, D2, B4, D4, F2 };

constexpr uint16_t bitAt(int position) { return uint16_t(1u << position); }

} // namespace

bool ModeACCode::parse(const char* text)
{
    int v[4];
    for (int i = 0; i < 4; ++i) {
        if (text[i] < '0' || text[i] > '7') return false;
        v[i] = text[i] - '0';
    }
    if (text[4] != '\0') return false;
    a = v[0];
    b = v[1];
    c = v[2];
    d = v[3];
    return true;
}

std::string ModeACCode::text() const
{
    return {char('0' + a), char('0' + b), char('0' + c), char('0' + d)};
}

uint16_t modeACPulseMask(const ModeACCode& code, bool xPulse)
{
    uint16_t mask = bitAt(F1) | bitAt(F2);
    auto put = [&](int digit, int one, int two, int four) {
        if (digit & 1) mask |= bitAt(one);
        if (digit & 2) mask |= bitAt(two);
        if (digit & 4) mask |= bitAt(four);
    };
    put(code.a, A1, A2, A4);
    put(code.b, B1, B2, B4);
    put(code.c, C1, C2, C4);
    put(code.d, D1, D2, D4);
    if (xPulse) mask |= bitAt(X);
    return mask;
}

bool modeCCodeOf(int altitudeFt, ModeACCode& out)
{
    if (altitudeFt % 100 != 0 || altitudeFt < -1200 || altitudeFt > 126700) return false;
    // 500 ft steps in reflected binary over D2 D4 A1 A2 A4 B1 B2 B4; 100 ft steps within them
    // in the five-state C1 C2 C4 cycle, which runs backwards on odd 500 ft steps.
    const int fiveHundreds = (altitudeFt + 1200) / 500;
    const int hundreds = (altitudeFt + 1200 - 500 * fiveHundreds) / 100;
    static constexpr int kEven[5] = {1, 3, 2, 6, 4}; // C1 C2 C4 as a 3-bit number
    const int c = (fiveHundreds & 1) ? kEven[4 - hundreds] : kEven[hundreds];
    const int g = fiveHundreds ^ (fiveHundreds >> 1);
    auto bitOf = [&](int n) { return (g >> n) & 1; };
    out.a = 4 * bitOf(3) + 2 * bitOf(4) + bitOf(5);
    out.b = 4 * bitOf(0) + 2 * bitOf(1) + bitOf(2);
    out.c = 4 * (c & 1) + 2 * ((c >> 1) & 1) + ((c >> 2) & 1);
    out.d = 4 * bitOf(6) + 2 * bitOf(7);
    return true;
}

void addModeAC(SignalBuffer& buffer, const PlacedModeACReply& reply)
{
    // |I| + |Q| of a fully covered sample is the amplitude, whatever the carrier phase.
    const double cs = std::cos(reply.phase);
    const double sn = std::sin(reply.phase);
    const double norm = std::fabs(cs) + std::fabs(sn);
    const float i = float(reply.amplitude * cs / norm);
    const float q = float(reply.amplitude * sn / norm);
    const double width = kModeACPulseWidthUs * 1e-6 * buffer.sampleRate();
    const double start = double(reply.sample) + reply.offset;
    const uint16_t mask = modeACPulseMask(reply.code, reply.xPulse);
    for (int n = 0; n <= F2; ++n) {
        if (mask & bitAt(n)) buffer.addPulse(start + n * kModeACSpacing, width, i, q);
    }
}

void renderModeACTestBuffer(std::span<const PlacedModeACReply> replies, double noiseSigma, uint64_t noiseSeed,
                            uint8_t* out, size_t pairs)
{
    SignalBuffer buffer(pairs, kModeACSampleRate);
    for (const PlacedModeACReply& r : replies) addModeAC(buffer, r);
    buffer.addNoise(noiseSigma, noiseSeed);
    buffer.quantise(out);
}

std::vector<uint8_t> renderModeACTestBuffer(std::span<const PlacedModeACReply> replies, double noiseSigma,
                                            uint64_t noiseSeed, size_t pairs)
{
    std::vector<uint8_t> out(2 * pairs);
    renderModeACTestBuffer(replies, noiseSigma, noiseSeed, out.data(), pairs);
    return out;
}

} // namespace varnock::synth
