// Mode-S frames with any parity through acceptance, the 2 s round, the 30003 lines and the HTTP tables:
// every 30003 line has its kind's field count and one CR LF at its end; every table line ends in LF,
// holds printable text only, and all lines of one table have the same number of fields.
//
// Input: records of 15 bytes - a control byte, then the 14 frame bytes. Control bit 0 makes the parity
// right, bit 1 overlays it with the address of the last extended squitter instead, bits 2-4 move the
// clock on, bit 5 runs a 2 s round after the frame.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "demod/parity.h"
#include "flights/acceptance.h"
#include "receiver/receiver.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

struct Lines final : LineSink {
    std::vector<std::string> lines;
    bool anyLineClient() const override { return true; }
    void sendToLineClients(std::string_view line) override { lines.emplace_back(line); }
};

int expectedFields(std::string_view line)
{
    if (line.starts_with("AIR,")) return 10;
    if (line.starts_with("STA,") || line.starts_with("ID,")) return 11;
    if (line.starts_with("MSG,7,")) return 21;
    if (line.starts_with("MSG,") && line.size() > 5 && line[4] >= '1' && line[4] <= '8' && line[5] == ',')
        return 22;
    return -1;
}

void check30003(const std::string& line)
{
    FUZZ_CHECK(line.size() >= 2 && line.ends_with("\r\n"), "30003 line without CR LF: %s", line.c_str());
    const std::string_view body(line.data(), line.size() - 2);
    int fields = 1;
    for (char c : body) {
        FUZZ_CHECK(c >= 0x20 && c < 0x7f, "control or non-ASCII byte %d in 30003 line %s", c, line.c_str());
        if (c == ',') ++fields;
    }
    const int want = expectedFields(body);
    FUZZ_CHECK(want > 0, "unknown 30003 line kind: %s", line.c_str());
    FUZZ_CHECK(fields == want, "%d fields instead of %d: %s", fields, want, line.c_str());
}

void checkTable(int n, const std::string& text)
{
    if (text == "NODATA") return;
    FUZZ_CHECK(text.empty() || text.back() == '\n', "table %d does not end its last line", n);
    int fields = -1;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string_view line(text.data() + start, end - start);
        int count = 1;
        for (char c : line) {
            FUZZ_CHECK(c >= 0x20 && c < 0x7f, "byte %d in table %d line %.*s", c, n, int(line.size()), line.data());
            if (c == ':') ++count;
        }
        FUZZ_CHECK(fields < 0 || count == fields, "table %d: %d fields after %d: %.*s", n, count, fields,
                   int(line.size()), line.data());
        fields = count;
        start = end + 1;
    }
}

bool knownFormat(int df) { return df == 0 || df == 4 || df == 5 || df == 11 || (df >= 16 && df <= 21); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VirtualClock clock;
    Lines lines;
    auto rx = std::make_unique<Receiver>(clock, lines);
    rx->controls.sblist = false; // aircraft view: the tables answer

    uint8_t lastAddress[3] = {};
    int sample = 16;
    for (size_t at = 0; at + 15 <= size; at += 15) {
        const uint8_t control = data[at];
        RawFrame f;
        std::memcpy(f.bytes, data + at + 1, 14);
        f.df = f.bytes[0] >> 3;
        if (!knownFormat(f.df)) continue;
        f.length = f.df >= 16 ? 14 : 7;
        if (f.length == 7) std::memset(f.bytes + 7, 0, 7);
        if (control & 2) {
            setModeSParity(f.bytes, f.length,
                           (uint32_t(lastAddress[0]) << 16) | (uint32_t(lastAddress[1]) << 8) | lastAddress[2]);
        } else if (control & 1) {
            setModeSParity(f.bytes, f.length, 0);
        }
        if (f.df == 17 || f.df == 18) std::memcpy(lastAddress, f.bytes + 1, 3);
        f.level = 40 + (control >> 6);
        f.sampleIndex = sample;
        sample = (sample + 240) % 1000000;
        validateAndFile(f, rx->table);
        clock.advanceMs(int64_t((control >> 2) & 7) * 700);
        if (control & 0x20) rx->datacntrTimer(1);
    }
    rx->datacntrTimer(1);

    for (const std::string& line : lines.lines) check30003(line);
    for (int n = 1; n <= 3; ++n) checkTable(n, httpTableText(n, rx->httpSources()));
    return 0;
}
