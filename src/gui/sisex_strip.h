// SisexStrip (ytimage): the Y-t strip under the display, with the cursors' distance written on it.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

#include "sisex/explorer.h"

namespace varnock {

class SisexStrip final : public QWidget {
    Q_OBJECT

public:
    explicit SisexStrip(QWidget* parent = nullptr);

    // Draws the strip at the widget's current height (0: nothing).
    void draw(const sisex::StripState& state);
    const QImage& picture() const { return image_; }

    std::function<void(sisex::MouseButton, int x)> onPress;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    sisex::RgbImage rgb_;
    QImage image_;
};

} // namespace varnock
