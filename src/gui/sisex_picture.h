// SisexPicture (Panel1 + Image1): the explorer's 1000 x 512 display, a cached picture blitted on paint.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

#include "sisex/explorer.h"

namespace varnock {

class SisexPicture final : public QWidget {
    Q_OBJECT

public:
    explicit SisexPicture(QWidget* parent = nullptr);

    // Renders the state into the cached picture (a state without a page keeps what was shown).
    void draw(const sisex::PictureState& state);
    const QImage& picture() const { return image_; }

    std::function<void(int x, int y)> onMove;
    std::function<void(sisex::MouseButton, int x, int y)> onPress;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    sisex::RgbImage rgb_;
    QImage image_;
};

// Qt's mouse button as the explorer's; false for buttons it does not know.
bool explorerButton(Qt::MouseButton b, sisex::MouseButton& out);

} // namespace varnock
