// GuiDialogs: message boxes and the reprogramming dialog, each run modally over the main window.
#include "gui/gui_dialogs.h"

#include <QMessageBox>

#include "gui/repro_dialog.h"

namespace varnock {

bool GuiDialogs::askYesNo(QWidget* parent, const std::string& text, const std::string& caption, bool questionIcon)
{
    QMessageBox box(questionIcon ? QMessageBox::Question : QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void GuiDialogs::errorBox(QWidget* parent, const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("varnock"), QString::fromStdString(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

bool GuiDialogs::reprogrammingDialog(QWidget* parent, int digits[8])
{
    ReproDialog dialog(parent);
    dialog.setDigits(digits);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.digits(digits);
    return true;
}

} // namespace varnock
