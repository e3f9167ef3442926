// Table name key filter: character keys are judged by the shared rule; editing keys pass untouched.
#include "gui/table_name_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

#include "app/config_values.h"

namespace varnock {

void TableNameFilter::install(QLineEdit* edit)
{
    edit->setMaxLength(static_cast<int>(kTableNameMaxLength));
    edit->installEventFilter(new TableNameFilter(edit));
    // Pastes and input methods bypass the keys: what they bring is cleaned the same way.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString clean = QString::fromStdString(filterTableName(text.toStdString()));
        if (clean == text) return;
        // The cursor stays after what was inserted, not at the end.
        const auto before = filterTableName(text.left(edit->cursorPosition()).toStdString()).size();
        edit->setText(clean);
        edit->setCursorPosition(static_cast<int>(std::min<std::size_t>(before, static_cast<std::size_t>(clean.size()))));
    });
}

bool TableNameFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backspace) return false;
    const QString text = key->text();
    // Cursor, delete and the clipboard shortcuts carry no printable character.
    if (text.isEmpty() || (text.size() == 1 && !text.front().isPrint())) return false;
    if (text.size() == 1 && tableNameKeyAccepted(text.front().unicode())) return false;
    return true;
}

} // namespace varnock
