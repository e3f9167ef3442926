// GuiView: the View of the desktop window - list refresh, message boxes, the reprogramming dialog hook.
#pragma once

#include <functional>
#include <string>

#include "app/view.h"

namespace varnock {

class MainWindow;

class GuiView final : public View {
public:
    using AskFn = std::function<bool(const std::string& text, const std::string& caption, bool questionIcon)>;
    using ErrorFn = std::function<void(const std::string& text)>;
    using ReproFn = std::function<bool(int digits[8])>;

    explicit GuiView(MainWindow& window) : window_(window) {}

    // Replace the message boxes (tests) or add the reprogramming dialog. Empty: the defaults
    // (message boxes; the reprogramming dialog cancels).
    void setAsk(AskFn f) { ask_ = std::move(f); }
    void setErrorBox(ErrorFn f) { error_ = std::move(f); }
    void setReprogrammingDialog(ReproFn f) { repro_ = std::move(f); }

    void messageLine(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& caption, bool questionIcon) override;
    void errorBox(const std::string& text) override;
    bool reprogrammingDialog(int digits[8]) override;
    void showList() override;
    void applyCntrLayout() override;
    void deviceStateChanged() override;
    void hideExplorer() override;

private:
    MainWindow& window_;
    AskFn ask_;
    ErrorFn error_;
    ReproFn repro_;
};

} // namespace varnock
