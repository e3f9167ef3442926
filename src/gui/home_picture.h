// The configuration dialog's picture: where a map program shows the home location, pointing at the fields.
#pragma once

#include <QImage>
#include <QWidget>

namespace varnock {

class HomePicture final : public QWidget {
public:
    static constexpr int kWidth = 271;
    static constexpr int kHeight = 91;

    explicit HomePicture(QWidget* parent = nullptr);

    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_; // drawn once: nothing in it changes
};

} // namespace varnock
