// PageRing: the last 20 magnitude buffers, their recording order and the jump-button states.
#pragma once

#include "sisex/page_geometry.h"

#include <array>
#include <cstdint>
#include <memory>

namespace varnock::sisex {

// What a view shows on one jump button ("0", "0.5" ... "9.5").
struct JumpButton {
    bool enabled = false;
    bool bold = false;
};

// Caption of page k's jump button: k x 0.5 s with one decimal, "0" for the first.
const char* jumpCaption(int page);

class PageRing {
public:
    // Allocates the 20 pages and a one-page scratch area, for the life of the owner.
    PageRing();
    PageRing(const PageRing&) = delete;
    PageRing& operator=(const PageRing&) = delete;

    uint16_t* page(int k) { return pages_.get() + size_t(k) * kPageValues; }
    const uint16_t* page(int k) const { return pages_.get() + size_t(k) * kPageValues; }
    // One page of room for re-ordering and for reading a file before it replaces a page.
    uint16_t* scratch() { return scratch_.get(); }

    int currentPage() const { return currentPage_; }
    bool hasData() const { return hasData_; }
    int pageOffsetMs() const { return pageOffsetMs_; }
    const JumpButton& button(int k) const { return buttons_[size_t(k)]; }
    // The page being shown, or null when none is offered.
    const uint16_t* shownPage() const { return hasData_ && currentPage_ >= 0 ? page(currentPage_) : nullptr; }

    // Live recording starts: nothing is offered any more (the contents stay in memory).
    void startLive();
    // Copies one buffer into the next page; a short buffer leaves the rest of the page at 0.
    void liveFeed(const uint16_t* values, int count);
    // Live recording stops: the pages are rotated into time order, the newest last (page 19).
    void stopLive();

    // A jump button or a page key: show page k.
    void showPage(int k);
    // Pages 0 to 19 all came from files: page 0 is shown.
    void markLoaded();

private:
    void markButton(int k);
    void rotateLeft(int shift);

    std::unique_ptr<uint16_t[]> pages_;
    std::unique_ptr<uint16_t[]> scratch_;
    std::array<bool, kPageCount> written_{}; // received a buffer since recording started
    std::array<JumpButton, kPageCount> buttons_{};
    int currentPage_ = -1;
    bool hasData_ = false;
    int pageOffsetMs_ = 0;
};

} // namespace varnock::sisex
