// What the explorer's state asks of its window: questions, redraws, repaints and error boxes.
#pragma once

#include <string>

namespace varnock::sisex {

class ExplorerUi {
public:
    virtual ~ExplorerUi() = default;
    // A Yes/No message box; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    // Draw the picture and the strip again from the explorer's state.
    virtual void redraw() = 0;
    // Paint the status bar now, in the middle of a long operation.
    virtual void repaintNow() = 0;
    virtual void errorBox(const std::string& text) = 0;
};

} // namespace varnock::sisex
