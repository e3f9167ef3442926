// GuiView: texts are 8-bit, shown as Latin-1; the boxes are modal on the main window.
#include "gui/gui_view.h"

#include <QMessageBox>

#include "gui/main_window.h"

namespace varnock {

namespace {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

void GuiView::messageLine(const std::string&)
{
    if (QWidget* list = window_.memo1()) list->update();
}

bool GuiView::askYesNo(const std::string& text, const std::string& caption, bool questionIcon)
{
    if (ask_) return ask_(text, caption, questionIcon);
    QMessageBox box(questionIcon ? QMessageBox::Question : QMessageBox::NoIcon, latin1(caption), latin1(text),
                    QMessageBox::Yes | QMessageBox::No, &window_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void GuiView::errorBox(const std::string& text)
{
    if (error_) {
        error_(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("varnock"), latin1(text), QMessageBox::Ok, &window_);
    box.exec();
}

bool GuiView::reprogrammingDialog(int digits[8]) { return repro_ ? repro_(digits) : false; }

void GuiView::showList()
{
    if (QWidget* list = window_.memo1()) list->show();
}

void GuiView::applyCntrLayout() { window_.applyCntrLayout(); }

void GuiView::deviceStateChanged() { window_.refresh(); }

} // namespace varnock
