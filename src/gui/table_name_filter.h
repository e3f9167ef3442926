// Key filter of the HTTP table name fields: letters, digits and backspace are typed, other characters not.
#pragma once

#include <QObject>

class QLineEdit;

namespace varnock {

class TableNameFilter final : public QObject {
public:
    // Filters `edit`'s keys and cleans what reaches it otherwise (a paste); parented to `edit`.
    static void install(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace varnock
