// Test support for the decoders: frames from hex or from ME/MB fields, and the published vectors file.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace varnock::test {

struct Frame {
    std::array<uint8_t, 14> b{};

    const uint8_t* data() const { return b.data(); }

    // Sets `width` bits of the ME/MB field starting at its 1-based bit `first` (bit 1 = byte 4, 0x80).
    Frame& me(int first, int width, unsigned value)
    {
        for (int i = 0; i < width; ++i) {
            const int bit = 32 + first - 1 + i; // frame bit index from the MSB of byte 0
            const unsigned v = (value >> (width - 1 - i)) & 1u;
            const auto mask = static_cast<uint8_t>(0x80 >> (bit % 8));
            auto& byte = b[static_cast<std::size_t>(bit / 8)];
            byte = static_cast<uint8_t>(v ? (byte | mask) : (byte & ~mask));
        }
        return *this;
    }
};

inline Frame fromHex(const std::string& hex)
{
    Frame f;
    auto nibble = [](char c) {
        return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    };
    for (std::size_t i = 0; i + 1 < hex.size() && i / 2 < f.b.size(); i += 2)
        f.b[i / 2] = static_cast<uint8_t>(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
    return f;
}

// DF 17 frame with the given ME fields filled in by the caller (address 0x4840D6).
inline Frame squitter()
{
    Frame f;
    f.b[0] = 0x8D;
    f.b[1] = 0x48;
    f.b[2] = 0x40;
    f.b[3] = 0xD6;
    return f;
}

// One row of published_frames.csv.
struct PublishedRow {
    std::string frame, df, field, value, source;
};

inline std::vector<std::string> splitCsv(const std::string& line)
{
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ',' && !quoted) {
            out.emplace_back();
        } else if (c != '\r') {
            out.back() += c;
        }
    }
    return out;
}

inline const std::vector<PublishedRow>& publishedRows()
{
    static const std::vector<PublishedRow> rows = [] {
        std::vector<PublishedRow> r;
        std::ifstream in(std::string(VARNOCK_VECTORS_DIR) + "/published_frames.csv");
        std::string line;
        std::getline(in, line); // header
        while (std::getline(in, line)) {
            const auto f = splitCsv(line);
            if (f.size() >= 5) r.push_back({f[0], f[1], f[2], f[3], f[4]});
        }
        return r;
    }();
    return rows;
}

// The published value of (frame, field), or "" when the file has no such row.
inline std::string published(const std::string& frame, const std::string& field)
{
    for (const auto& row : publishedRows())
        if (row.frame == frame && row.field == field) return row.value;
    return {};
}

} // namespace varnock::test
