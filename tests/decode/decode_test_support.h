// Test support for the decoders: frames from hex or from ME/MB fields, and the published vectors file.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

namespace varnock::test {
// Its own symbols: a test binary may also hold the byte-vector helpers of test_support.h.
inline namespace decode_support {

struct Frame {
    std::array<uint8_t, 14> b{};

    const uint8_t* data() const { return b.data(); }

    // Sets `width` bits of the ME/MB field from its 1-based bit `first` (bit 1 = byte 4, mask 0x80).
    Frame& me(int first, int width, unsigned value)
    {
        for (int i = 0; i < width; ++i) {
            const int bit = 32 + first - 1 + i;
            const auto mask = static_cast<uint8_t>(0x80 >> (bit % 8));
            auto& byte = b[static_cast<std::size_t>(bit / 8)];
            byte = static_cast<uint8_t>(((value >> (width - 1 - i)) & 1u) ? (byte | mask) : (byte & ~mask));
        }
        return *this;
    }
};

inline Frame fromHex(const std::string& hex)
{
    Frame f;
    for (std::size_t i = 0; i + 1 < hex.size() && i / 2 < f.b.size(); i += 2)
        f.b[i / 2] = static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return f;
}

// DF 17 frame of address 4840D6; the caller fills in the ME field.
inline Frame squitter() { return fromHex("8D4840D6"); }

// The published value of (frame, field) in published_frames.csv, or "" when there is none.
// Rows are "frame,df,field,value,source"; only the value may be quoted.
inline std::string published(const std::string& frame, const std::string& field)
{
    std::ifstream in(std::string(VARNOCK_VECTORS_DIR) + "/published_frames.csv");
    const std::string key = frame + ",";
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0) continue;
        const auto f1 = line.find(',', key.size());
        const auto f2 = line.find(',', f1 + 1);
        if (line.compare(f1 + 1, f2 - f1 - 1, field) != 0) continue;
        std::string value;
        bool quoted = false;
        for (std::size_t i = f2 + 1; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            else if (line[i] == ',' && !quoted) break;
            else value += line[i];
        }
        return value;
    }
    return {};
}

} // namespace decode_support
} // namespace varnock::test
