// GuiView: texts are 8-bit, shown as Latin-1; the boxes are modal on the main window.
#include "gui/gui_view.h"

#include "gui/gui_dialogs.h"
#include "gui/main_window.h"

namespace varnock {

void GuiView::messageLine(const std::string&)
{
    if (QWidget* list = window_.memo1()) list->update();
}

bool GuiView::askYesNo(const std::string& text, const std::string& caption, bool questionIcon)
{
    if (ask_) return ask_(text, caption, questionIcon);
    return GuiDialogs::askYesNo(&window_, text, caption, questionIcon);
}

void GuiView::errorBox(const std::string& text)
{
    if (error_) {
        error_(text);
        return;
    }
    GuiDialogs::errorBox(&window_, text);
}

bool GuiView::reprogrammingDialog(int digits[8])
{
    return repro_ ? repro_(digits) : GuiDialogs::reprogrammingDialog(&window_, digits);
}

void GuiView::showList()
{
    if (QWidget* list = window_.memo1()) list->show();
}

void GuiView::applyCntrLayout() { window_.applyCntrLayout(); }

void GuiView::deviceStateChanged() { window_.refresh(); }

void GuiView::hideExplorer() { window_.hideExplorer(); }

} // namespace varnock
