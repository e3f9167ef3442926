// Shared explorer test fixtures: one page ring for the whole binary, a recording window, temp folders.
#pragma once

#include "core/clock.h"
#include "sisex/explorer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <filesystem>
#include <string>
#include <vector>

namespace varnock::sisex::test {

// The 40 MB ring and the statistics arrays are allocated once per test binary.
inline PageRing& sharedRing()
{
    static PageRing ring;
    return ring;
}

inline PulseStatistics& sharedStatistics()
{
    static PulseStatistics statistics;
    return statistics;
}

// A window that answers its questions as told and records what it was asked to do.
class RecordingUi final : public ExplorerUi {
public:
    const Explorer* explorer = nullptr;
    bool answer = true;
    std::vector<std::string> questions;
    std::vector<std::string> repaints; // the state panel at each immediate repaint
    std::vector<std::string> errors;
    int redraws = 0;

    bool askYesNo(const std::string& text, const std::string& caption) override
    {
        questions.push_back(caption + ": " + text);
        return answer;
    }
    void redraw() override { ++redraws; }
    void repaintNow() override { repaints.push_back(explorer ? explorer->status(kStatePanel) : std::string()); }
    void errorBox(const std::string& text) override { errors.push_back(text); }
};

// An explorer on the shared ring, opened as "SISEX>>" opens it (live, nothing offered).
struct ExplorerRig {
    RecordingUi ui;
    PosixExplorerFiles files;
    VirtualClock clock;
    Explorer explorer{sharedRing(), sharedStatistics(), files, ui, clock};

    ExplorerRig()
    {
        ui.explorer = &explorer;
        explorer.setProgramName("varnock", 1);
        explorer.openFromMainWindow();
    }
};

// A buffer that names itself: every value depends on its tag and position (0..255 for 8-bit files).
inline std::vector<uint16_t> taggedBuffer(int tag, bool eightBit = false)
{
    std::vector<uint16_t> v(kPageValues);
    for (int i = 0; i < kPageValues; ++i) {
        const unsigned x = unsigned(tag) * 7919u + unsigned(i) * 31u + unsigned(i >> 9);
        v[size_t(i)] = uint16_t(eightBit ? x % 256 : x % 600);
    }
    return v;
}

inline bool pageEquals(int page, const std::vector<uint16_t>& expected)
{
    return std::equal(expected.begin(), expected.end(), sharedRing().page(page));
}

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "sisex-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp");
        path_ = tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string dir() const { return path_ + "/"; }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string path_;
};

} // namespace varnock::sisex::test
