// View: what the device control needs from a window - message lines, Yes/No questions, error boxes, dialogs.
#pragma once

#include <string>

namespace varnock {

class View {
public:
    virtual ~View() = default;

    // A line has just been written to the list; the view shows it (or the list) now.
    virtual void messageLine(const std::string& text) = 0;

    // A modal question with Yes and No buttons; true for Yes. `questionIcon` picks the icon.
    virtual bool askYesNo(const std::string& text, const std::string& caption, bool questionIcon) = 0;

    // The platform's error box (stderr in console mode); START ends after it.
    virtual void errorBox(const std::string& text) = 0;

    // The reprogramming dialog, modal: the eight serial digits in and out, true for "Continue".
    // The first digit is shown but cannot be changed.
    virtual bool reprogrammingDialog(int digits[8]) = 0;

    // Hooks without a result; a view that has nothing to draw for them ignores them.
    virtual void showList() {}
    virtual void applyCntrLayout() {}
    virtual void deviceStateChanged() {} // caption, START/STOP look, enabled controls, gain list
    virtual void hideExplorer() {}
};

} // namespace varnock
