// The page ring's live feed, its rotation into time order and the jump-button states.
#include "sisex/page_ring.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace varnock::sisex {

const char* jumpCaption(int page)
{
    static const char* const kCaptions[kPageCount] = {"0",   "0.5", "1.0", "1.5", "2.0", "2.5", "3.0",
                                                      "3.5", "4.0", "4.5", "5.0", "5.5", "6.0", "6.5",
                                                      "7.0", "7.5", "8.0", "8.5", "9.0", "9.5"};
    return page >= 0 && page < kPageCount ? kCaptions[page] : "";
}

PageRing::PageRing()
    : pages_(std::make_unique<uint16_t[]>(size_t(kPageCount) * kPageValues)),
      scratch_(std::make_unique<uint16_t[]>(kPageValues))
{
}

void PageRing::markButton(int k)
{
    for (int i = 0; i < kPageCount; ++i) buttons_[size_t(i)].bold = (i == k);
    if (k >= 0 && k < kPageCount) buttons_[size_t(k)].enabled = true;
}

void PageRing::startLive()
{
    hasData_ = false;
    currentPage_ = -1;
    written_.fill(false);
    buttons_.fill(JumpButton{});
}

void PageRing::liveFeed(const uint16_t* values, int count)
{
    currentPage_ = currentPage_ + 1 >= kPageCount ? 0 : currentPage_ + 1;
    pageOffsetMs_ = currentPage_ * kPageMs;
    uint16_t* dst = page(currentPage_);
    const int n = values == nullptr ? 0 : std::clamp(count, 0, kPageValues);
    if (n > 0) std::memcpy(dst, values, size_t(n) * sizeof(uint16_t));
    std::fill(dst + n, dst + kPageValues, uint16_t{0});
    written_[size_t(currentPage_)] = true;
    markButton(currentPage_);
    hasData_ = true;
}

// Page i takes the page that was `shift` places above it, whole pages through the scratch page,
// one cycle of the permutation at a time.
void PageRing::rotateLeft(int shift)
{
    const size_t bytes = size_t(kPageValues) * sizeof(uint16_t);
    const int cycles = std::gcd(shift, kPageCount);
    for (int start = 0; start < cycles; ++start) {
        std::memcpy(scratch(), page(start), bytes);
        int j = start;
        for (;;) {
            const int k = (j + shift) % kPageCount;
            if (k == start) break;
            std::memcpy(page(j), page(k), bytes);
            j = k;
        }
        std::memcpy(page(j), scratch(), bytes);
    }
    std::rotate(written_.begin(), written_.begin() + shift, written_.end());
}

void PageRing::stopLive()
{
    pageOffsetMs_ = (kPageCount - 1) * kPageMs;
    // Nothing arrived since the start: there is no page to offer or order.
    if (currentPage_ < 0 || currentPage_ == kPageCount - 1) return;
    rotateLeft(currentPage_ + 1);
    for (int i = 0; i < kPageCount; ++i) buttons_[size_t(i)].enabled = written_[size_t(i)];
    currentPage_ = kPageCount - 1;
    markButton(currentPage_);
}

void PageRing::showPage(int k)
{
    if (k < 0 || k >= kPageCount) return;
    currentPage_ = k;
    pageOffsetMs_ = k * kPageMs;
    markButton(k);
}

void PageRing::markLoaded()
{
    written_.fill(true);
    for (JumpButton& b : buttons_) b.enabled = true;
    pageOffsetMs_ = 0;
    currentPage_ = 0;
    markButton(0);
    hasData_ = true;
}

} // namespace varnock::sisex
