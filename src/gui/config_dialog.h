// ConfigDialog: the configuration window - UDP target, home location, station ID and HTTP table names.
#pragma once

#include <QDialog>

#include <functional>

#include "app/config_values.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace varnock {

struct Settings;
class UdpSender;

class ConfigDialog final : public QDialog {
public:
    static constexpr int kClientWidth = 269;
    static constexpr int kClientHeight = 528;

    // A conversion error of "Save + close"; by default a message box with the error icon and no caption.
    using ErrorBox = std::function<void(QWidget* parent, const QString& text)>;

    // The fields edit `settings` as they are typed (the HTTP pages and the save at exit read them
    // there); "Use" switches `home` at once; "Save + close" sets `home` and `udp`'s target. All three
    // must outlive the dialog. Not modal: show() it.
    ConfigDialog(Settings& settings, HomeLocation& home, UdpSender& udp, QWidget* parent = nullptr);

    // Fields from the settings again: START may have rewritten the port text.
    void loadFields();
    ConfigValues values() const;

    // "Save + close".
    void Button1Click();

    void setErrorBox(ErrorBox box) { errorBox_ = std::move(box); }

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void build();
    void storeFields();
    void storePosition();

    Settings& settings_;
    HomeLocation& home_;
    UdpSender& udp_;
    ErrorBox errorBox_;
    bool loading_ = false;

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* cblocal = nullptr;
    QLineEdit* ednorth = nullptr;
    QLineEdit* edeast = nullptr;
    QLineEdit* edid = nullptr;
    QLineEdit* edtable[4] = {};
    QPushButton* Button1 = nullptr;
};

} // namespace varnock
