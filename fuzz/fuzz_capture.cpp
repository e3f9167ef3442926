// The explorer's page files: one shorter than a page ends the load with the short-file status and
// leaves the ring byte for byte as it was; one of a page or more loads as its first page of bytes
// (16-bit little-endian for .biw, one value a byte for .bin) into page 0 and changes nothing else.
//
// Input: a flags byte, two length bytes, then content. Flags: bit 0 an 8-bit .bin file (else .biw);
// bit 1 the file is the content as it is; else the content is repeated to a page plus the length
// (bit 3: minus it); bit 2 a full .bin beside the .biw, which must not be read.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/clock.h"
#include "fuzz_check.h"
#include "sisex/explorer.h"

using namespace varnock;
using namespace varnock::sisex;

namespace {

constexpr size_t kBiwBytes = size_t(kPageValues) * 2;
constexpr size_t kBinBytes = size_t(kPageValues);

class Ui final : public ExplorerUi {
public:
    const Explorer* explorer = nullptr;
    std::vector<std::string> errors;
    std::vector<std::string> repaints;
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    void redraw() override {}
    void repaintNow() override { repaints.push_back(explorer->status(kStatePanel)); }
    void errorBox(const std::string& text) override { errors.push_back(text); }
};

// A ring loaded before, no two neighbouring values alike, and its copy to compare with.
struct Rig {
    PageRing ring;
    PulseStatistics statistics;
    PosixExplorerFiles files;
    Ui ui;
    VirtualClock clock;
    Explorer explorer{ring, statistics, files, ui, clock};
    std::vector<uint16_t> before = std::vector<uint16_t>(size_t(kPageCount) * kPageValues);
    // Memory, not disk: a page file is written for every input.
    std::string dir = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/varnock-fuzz-capture-") +
                      std::to_string(getpid()) + "/";

    Rig()
    {
        ui.explorer = &explorer;
        for (size_t i = 0; i < before.size(); ++i) before[i] = uint16_t(i * 40503u >> 7);
        std::memcpy(ring.page(0), before.data(), before.size() * sizeof(uint16_t));
        ring.markLoaded();
        explorer.setDataDir(dir);
    }
};

Rig& rig()
{
    static Rig* r = new Rig; // lives until exit
    return *r;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string error;
    FUZZ_CHECK(rig().files.writeReplacing(path, bytes.data(), bytes.size(), error), "cannot write %s: %s",
               path.c_str(), error.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Rig& r = rig();
    const uint8_t flags = size > 0 ? data[0] : 0;
    const bool eightBit = flags & 1;
    const size_t delta = size > 2 ? size_t(data[1]) | size_t(data[2]) << 8 : 0;
    const uint8_t* content = data + std::min<size_t>(size, 3);
    const size_t contentSize = size - std::min<size_t>(size, 3);
    const size_t pageBytes = eightBit ? kBinBytes : kBiwBytes;

    // Kept between inputs: a page-sized file is built for most of them.
    static std::vector<uint8_t> file;
    if (flags & 2) {
        file.assign(content, content + contentSize);
    } else {
        file.assign(flags & 8 ? pageBytes - delta : pageBytes + delta, 0);
        // The repeats differ from each other, so a page read from the wrong place shows.
        size_t at = 0;
        for (uint8_t repeat = 0; contentSize > 0 && at < file.size(); ++repeat)
            for (size_t k = 0; k < contentSize && at < file.size(); ++k) file[at++] = uint8_t(content[k] ^ repeat);
    }

    FUZZ_CHECK(::mkdir(r.dir.c_str(), 0700) == 0 || errno == EEXIST, "cannot create %s", r.dir.c_str());
    const std::string name = eightBit ? "0.bin" : "0.biw";
    writeFile(r.dir + name, file);
    const bool decoy = !eightBit && (flags & 4);
    static const std::vector<uint8_t> other(kBinBytes, 0xA5);
    if (decoy) writeFile(r.dir + "0.bin", other);

    r.ui.errors.clear();
    r.ui.repaints.clear();
    r.explorer.sbopenClick();

    ::unlink((r.dir + name).c_str());
    if (decoy) ::unlink((r.dir + "0.bin").c_str());
    ::rmdir(r.dir.c_str());

    FUZZ_CHECK(r.ring.hasData() && r.ring.currentPage() == 0 && r.ring.pageOffsetMs() == 0,
               "the ring's state changed (page %d)", r.ring.currentPage());
    if (eightBit)
        FUZZ_CHECK(r.ui.repaints == std::vector<std::string>{"Converting: 0.bin"}, "no conversion shown");
    else
        FUZZ_CHECK(r.ui.repaints.empty(), "the .bin beside the .biw was converted");

    const uint16_t* page0 = r.ring.page(0);
    if (file.size() < pageBytes) {
        const std::string why = ": shorter than " + std::to_string(pageBytes) + " bytes";
        FUZZ_CHECK(r.explorer.status(kStatePanel) == "Cannot read " + name + why, "status '%s' for %zu bytes",
                   r.explorer.status(kStatePanel).c_str(), file.size());
        FUZZ_CHECK(r.ui.errors == std::vector<std::string>{"Cannot read " + r.dir + name + why}, "%zu error boxes",
                   r.ui.errors.size());
        FUZZ_CHECK(std::memcmp(page0, r.before.data(), kBiwBytes) == 0, "page 0 changed by a short file");
    } else {
        FUZZ_CHECK(r.explorer.status(kStatePanel) == "BIN FILE NOT FOUND", "status '%s' for %zu bytes",
                   r.explorer.status(kStatePanel).c_str(), file.size());
        FUZZ_CHECK(r.ui.errors.empty(), "error box '%s'", r.ui.errors[0].c_str());
        const auto fromFile = [&](size_t i) {
            return eightBit ? uint16_t(file[i]) : uint16_t(file[2 * i] | file[2 * i + 1] << 8);
        };
        size_t wrong = 0;
        while (wrong < size_t(kPageValues) && page0[wrong] == fromFile(wrong)) ++wrong;
        FUZZ_CHECK(wrong == size_t(kPageValues), "value %zu of page 0 is %u, the file says %u", wrong, page0[wrong],
                   fromFile(wrong));
        std::memcpy(r.ring.page(0), r.before.data(), kBiwBytes);
    }
    FUZZ_CHECK(std::memcmp(r.ring.page(1), r.before.data() + kPageValues, kBiwBytes * (kPageCount - 1)) == 0,
               "pages 1 to 19 changed");
    return 0;
}
