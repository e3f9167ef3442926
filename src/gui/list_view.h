// ListView: the main window's owner-drawn list over the engine's list model, drawn from a cached image.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

#include <vector>

#include "gui/list_painter.h"

namespace varnock {

class AircraftTable;
class ListModel;
class Receiver;
struct Controls;

class ListView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    // All three must outlive the view; clicks change the model's freeze and sort state.
    ListView(ListModel& model, const Controls& controls, const AircraftTable& table, QWidget* parent = nullptr);
    explicit ListView(Receiver& receiver, QWidget* parent = nullptr);

    static constexpr int kWidth = 371, kHeight = 315;
    static constexpr int kCntrWidth = 860, kCntrScrollWidth = 1000;

    // Brings the cached picture up to date with the model and repaints what changed; cheap when
    // nothing did. Runs on a short timer; callers may run it at once after changing the list.
    void refresh();

    // The "cntr" layout: a wider list scrolling sideways over 1000 pixels.
    void applyCntrLayout();

    int topIndex() const;
    int selectedIndex() const { return selected_; }
    // The visible items as last drawn (full content width, item rows from topIndex()).
    const QImage& picture() const { return image_; }
    // Items drawn by the last refresh (unchanged items are not drawn again).
    int itemsDrawn() const { return itemsDrawn_; }
    // Forgets the picture: the next refresh draws every visible item.
    void invalidate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int fullRows() const;
    void updateScrollRanges();
    void resizePicture();
    void syncRows();
    LineLook lookAt(int index) const;
    ListDrawState drawState() const;

    ListModel& model_;
    const Controls& controls_;
    const AircraftTable& table_;
    ListPainter painter_;
    QImage image_;
    std::vector<LineLook> drawn_; // per visible row
    std::vector<char> valid_;
    int drawnTop_ = 0;
    int itemsDrawn_ = 0;
    int scrollWidth_ = 0;
    int selected_ = -1;
    unsigned seenRevision_ = ~0u;
    int seenCount_ = -1;
    ListDrawState seenState_;
    bool syncing_ = false;
    QTimer poll_;
};

} // namespace varnock
