// ColorButton: a push button with its own face colour and a shadowed caption (the big START/STOP button).
#pragma once

#include <QAbstractButton>
#include <QImage>

#include <cstdint>

namespace varnock {

class ColorButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit ColorButton(QWidget* parent = nullptr);

    // The system's 24-bit colour values.
    void setFaceColour(uint32_t value);
    void setShadowColour(uint32_t value);
    void setTextColour(uint32_t value);
    // Pixels the shadow lies right and below the caption; one beyond the button hides it.
    void setShadowDepth(int depth);

    uint32_t faceColour() const { return face_; }
    uint32_t shadowColour() const { return shadow_; }
    int shadowDepth() const { return depth_; }

    QSize sizeHint() const override { return {65, 41}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void invalidate();

    uint32_t face_ = 65535;       // yellow
    uint32_t shadow_ = 8421504;   // grey
    uint32_t text_ = 16711680;    // blue
    int depth_ = 1;
    QImage up_, down_;     // the two faces as last rendered
    QString upCaption_, downCaption_;
};

} // namespace varnock
