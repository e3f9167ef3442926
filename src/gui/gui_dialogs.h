// GuiDialogs: the modal parts of the window's View - Yes/No questions, error boxes and the reprogramming dialog.
#pragma once

#include <string>

class QWidget;

namespace varnock {

class GuiDialogs {
public:
    // Yes and No buttons; true for Yes (closing the box is No). The question icon or none.
    static bool askYesNo(QWidget* parent, const std::string& text, const std::string& caption, bool questionIcon);

    // Error icon, the program's name as caption.
    static void errorBox(QWidget* parent, const std::string& text);

    // The digits are shown, and on "Continue" replaced by the edited ones; true for "Continue".
    static bool reprogrammingDialog(QWidget* parent, int digits[8]);
};

} // namespace varnock
