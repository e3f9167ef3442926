// ReproDialog: the serial number reprogramming dialog - the warning and eight digit spin boxes.
#pragma once

#include <QDialog>

class QSpinBox;

namespace varnock {

class ReproDialog final : public QDialog {
public:
    static constexpr int kClientWidth = 417;
    static constexpr int kClientHeight = 336;

    explicit ReproDialog(QWidget* parent = nullptr);

    // Values outside 0..9 are clamped.
    void setDigits(const int digits[8]);
    void digits(int out[8]) const;

private:
    QSpinBox* SpinEdit[8] = {};
};

} // namespace varnock
