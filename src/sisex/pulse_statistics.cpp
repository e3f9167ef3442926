// Pulse statistics: pairs of pulse beginnings and ends counted by spacing, listed with labels and bars.
#include "sisex/pulse_statistics.h"

#include "core/decimal_text.h"

#include <algorithm>

namespace varnock::sisex {

namespace {

constexpr uint32_t kCounterMax = 65535;

std::string countAndSpacing(int v, int n)
{
    std::string s;
    appendPaddedInt(s, v, 5, '0');
    s += ' ';
    appendPaddedInt(s, n, 5, '0');
    return s;
}

} // namespace

const char* spacingLabel(int n)
{
    switch (n) {
    case 3: return " (Mode 1, P1->P3 -or- A/C, P1->P2)";
    case 5: return " (Mode 2, P1->P3)";
    case 6: return " (Mode A, P2->P3)";
    case 7:
    case 8:
    case 9: return " (Mode A, P1->P3)";
    case 19: return " (Mode C, P2->P3)";
    case 20:
    case 21:
    case 22: return " (Mode C, P1->P3)";
    default: return "";
    }
}

PulseStatistics::PulseStatistics()
    : flags_(std::make_unique<uint8_t[]>(kPageValues)), counts_(std::make_unique<uint32_t[]>(kLongLast + 1))
{
    starts_.reserve(kPageValues);
    ends_.reserve(kPageValues);
}

uint16_t PulseStatistics::count(int a) const
{
    if (a < 0 || a > kLongLast) return 0;
    return uint16_t(std::min(counts_[size_t(a)], kCounterMax));
}

void PulseStatistics::run(const uint16_t* page, int squelch, const std::function<void(const std::string&)>& progress)
{
    auto report = [&](const std::string& text) {
        if (progress) progress(text);
    };
    std::fill(counts_.get(), counts_.get() + kLongLast + 1, 0u);
    starts_.clear();
    ends_.clear();
    if (page != nullptr) {
        uint8_t* f = flags_.get();
        for (int i = 0; i < kPageValues; ++i) f[i] = page[i] > squelch ? 1 : 0;
        // A pair (p, p + a) needs p >= 2 and p + a <= kLastPulseEnd, whatever a is.
        for (int p = 2; p <= kLastPulseEnd; ++p) {
            if (f[p] && !f[p - 2]) starts_.push_back(p);
            if (f[p] && !f[p + 2]) ends_.push_back(p);
        }
    }
    report("Analysis ...");
    countSpacings(report);
    buildLines();
}

// Every beginning is paired with the ends inside each spacing window; the windows only move
// forward, so two cursors per range suffice. Cost grows with pulses, not with spacings.
void PulseStatistics::countSpacings(const std::function<void(const std::string&)>& report)
{
    uint32_t* c = counts_.get();
    const size_t nEnds = ends_.size();
    size_t shortLo = 0;
    for (const int p : starts_) {
        while (shortLo < nEnds && ends_[shortLo] < p + kShortFirst) ++shortLo;
        for (size_t j = shortLo; j < nEnds && ends_[j] <= p + kShortLast; ++j) ++c[ends_[j] - p];
    }
    const size_t nStarts = starts_.size();
    size_t longLo = 0;
    size_t done = 0;
    for (int step = 1; step <= 20; ++step) {
        report("Analysis = " + std::to_string(2 * step) + "/40");
        const size_t until = nStarts * size_t(step) / 20;
        for (; done < until; ++done) {
            const int p = starts_[done];
            while (longLo < nEnds && ends_[longLo] < p + kLongFirst) ++longLo;
            for (size_t j = longLo; j < nEnds && ends_[j] <= p + kLongLast; ++j) ++c[ends_[j] - p];
        }
    }
}

void PulseStatistics::buildLines()
{
    sorted_ = false;
    produced_.clear();
    int hits = 1;
    int top = -1;
    for (int a = kLongFirst; a < kLongLast; a += 2) {
        const int v = count(a) + count(a + 1);
        if (v > hits) {
            hits = v;
            top = a;
        }
    }
    // No long spacing seen twice: no top scorer at all.
    top_ = top < 0 ? 0 : top / 2;
    hits_ = top < 0 ? 0 : hits;

    for (int a = kShortFirst; a < kShortLast; a += 2) {
        const int v = count(a) + count(a + 1);
        if (v > 10) produced_.push_back(countAndSpacing(v, a / 2) + spacingLabel(a / 2));
    }
    for (int a = kLongFirst; a < kLongLast; a += 2) {
        const int v = count(a) + count(a + 1);
        if (v <= 10) continue;
        std::string line = countAndSpacing(v, a / 2) + " ";
        line.append(size_t(roundHalfEven(100 * int64_t(v), hits_)), '.');
        produced_.push_back(std::move(line));
    }
    shown_ = produced_;
    std::sort(shown_.begin(), shown_.end());
    sorted_ = true;
}

void PulseStatistics::toggleSort()
{
    if (sorted_) {
        shown_ = produced_;
        sorted_ = false;
    } else {
        std::sort(shown_.begin(), shown_.end());
        sorted_ = true;
    }
}

std::string PulseStatistics::fileText(int squelch, const std::string& dataDir) const
{
    std::string s;
    s += "SISEX statistic analysis .... Squelch position : " + std::to_string(squelch) + "\r\n";
    s += "Directory: " + dataDir + "\r\n";
    s += std::string(42, '=') + "\r\n";
    s += "Topscorer: " + std::to_string(top_) + " microsecs; hits: " + std::to_string(hits_) + "\r\n";
    s += "\r\n";
    for (const std::string& line : shown_) s += line + "\r\n";
    return s;
}

} // namespace varnock::sisex
