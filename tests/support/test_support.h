// Shared test helpers: hex conversion, a recording line sink, magnitude-level frame painting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/line_sink.h"

namespace varnock::test {

inline std::vector<uint8_t> fromHex(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string toHex(const uint8_t* p, std::size_t n)
{
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

class RecordingLineSink final : public LineSink {
public:
    bool connected = true;
    std::vector<std::string> lines;
    bool anyLineClient() const override { return connected; }
    void sendToLineClients(std::string_view line) override { lines.emplace_back(line); }
};

// Paints an ideal preamble at k and the frame's bits after it into a magnitude buffer.
inline void paintFrame(uint16_t* m, int k, const std::vector<uint8_t>& bytes, uint16_t hi = 100, uint16_t lo = 5)
{
    static const int pattern[16] = {1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) m[k + i] = pattern[i] ? hi : lo;
    const int d = k + 16;
    for (std::size_t j = 0; j < bytes.size() * 8; ++j) {
        const bool bit = (bytes[j / 8] >> (7 - j % 8)) & 1;
        m[d + 2 * j] = bit ? hi : lo;
        m[d + 2 * j + 1] = bit ? lo : hi;
    }
}

} // namespace varnock::test
