// ExplorerHost: the signals-in-space explorer's data, allocated once, and the window it talks to.
#pragma once

#include "app/settings.h"
#include "core/clock.h"
#include "sisex/explorer.h"

namespace varnock {

class ExplorerHost {
public:
    explicit ExplorerHost(const Clock& clock);
    ExplorerHost(const ExplorerHost&) = delete;
    ExplorerHost& operator=(const ExplorerHost&) = delete;

    sisex::Explorer& explorer() { return explorer_; }
    // The window that answers questions and draws; null (no window, console mode): nothing is
    // drawn and every overwrite question is answered No.
    void setUi(sisex::ExplorerUi* ui) { relay_.target = ui; }

    // The start-up values of the [sisex] keys, and back at exit.
    void applySettings(const Settings& s);
    void storeSettings(Settings& s);

private:
    class Relay final : public sisex::ExplorerUi {
    public:
        sisex::ExplorerUi* target = nullptr;
        bool askYesNo(const std::string& text, const std::string& caption) override
        {
            return target != nullptr && target->askYesNo(text, caption);
        }
        void redraw() override
        {
            if (target != nullptr) target->redraw();
        }
        void repaintNow() override
        {
            if (target != nullptr) target->repaintNow();
        }
        void errorBox(const std::string& text) override
        {
            if (target != nullptr) target->errorBox(text);
        }
    };

    sisex::PageRing ring_;
    sisex::PulseStatistics statistics_;
    sisex::PosixExplorerFiles files_;
    Relay relay_;
    sisex::Explorer explorer_;
};

} // namespace varnock
