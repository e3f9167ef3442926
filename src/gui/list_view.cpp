// The list widget: keeps one rendered image of its visible items, redraws only items whose look
// changed (shifting the rest when it scrolls) and blits that image when painted.
#include "gui/list_view.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/controls.h"
#include "flights/list_model.h"
#include "receiver/receiver.h"
#include "flights/aircraft_table.h"

namespace varnock {

namespace {
constexpr int kItem = ListPainter::kItemHeight;
constexpr int kPollMs = 40;

bool sameState(const ListDrawState& a, const ListDrawState& b)
{
    return a.plainOnly == b.plainOnly && a.frozen == b.frozen && a.listWidth == b.listWidth;
}
} // namespace

ListView::ListView(ListModel& model, const Controls& controls, const AircraftTable& table, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model), controls_(controls), table_(table)
{
    setObjectName(QStringLiteral("memo1"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus); // no tab stop
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(ListPainter::kCharWidth);
    resize(kWidth, kHeight);
    // Hidden (in the tray), the list is left alone until it is shown again.
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (isVisible()) refresh();
    });
    poll_.start(kPollMs);
}

ListView::ListView(Receiver& receiver, QWidget* parent)
    : ListView(receiver.list, receiver.controls, receiver.table, parent)
{
}

int ListView::topIndex() const { return verticalScrollBar()->value(); }

int ListView::fullRows() const { return std::max(1, viewport()->height() / kItem); }

ListDrawState ListView::drawState() const
{
    ListDrawState s;
    s.plainOnly = controls_.sblist || controls_.sbmodeac;
    s.frozen = model_.listFreeze;
    s.listWidth = width();
    return s;
}

LineLook ListView::lookAt(int index) const
{
    const int record = model_.data(index);
    const TFlight* rec = (record >= 0 && record < kTableSize) ? &table_[record] : nullptr;
    return lineLook(model_.text(index), index, rec, drawState());
}

void ListView::applyCntrLayout()
{
    scrollWidth_ = kCntrScrollWidth;
    resize(kCntrWidth, height());
    updateScrollRanges();
    resizePicture();
    refresh();
}

void ListView::invalidate()
{
    std::fill(valid_.begin(), valid_.end(), char(0));
    seenCount_ = -1;
}

void ListView::updateScrollRanges()
{
    QScrollBar* v = verticalScrollBar();
    v->setPageStep(fullRows());
    v->setRange(0, std::max(0, model_.count() - fullRows()));
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setRange(0, std::max(0, scrollWidth_ - viewport()->width()));
}

void ListView::resizePicture()
{
    const int w = std::max(viewport()->width(), scrollWidth_);
    const int rows = (viewport()->height() + kItem - 1) / kItem;
    if (image_.width() == w && image_.height() == rows * kItem) return;
    image_ = QImage(std::max(w, 1), std::max(rows, 1) * kItem, QImage::Format_RGB32);
    image_.fill(ListPainter::background());
    drawn_.assign(static_cast<std::size_t>(std::max(rows, 1)), LineLook{});
    valid_.assign(drawn_.size(), char(0));
    viewport()->update();
}

void ListView::refresh()
{
    if (model_.focusToStartPending) {
        model_.focusToStartPending = false;
        if (QWidget* start = window()->findChild<QWidget*>(QStringLiteral("ColorButton1"))) start->setFocus();
    }
    const ListDrawState state = drawState();
    const bool toEnd = model_.scrollToEndPending;
    if (!toEnd && model_.revision == seenRevision_ && model_.count() == seenCount_ && sameState(state, seenState_))
        return;
    model_.scrollToEndPending = false;
    if (selected_ >= model_.count()) selected_ = -1;

    syncing_ = true; // scroll bar changes below must not draw half-way
    updateScrollRanges();
    if (toEnd) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    syncing_ = false;
    syncRows();
    seenRevision_ = model_.revision;
    seenCount_ = model_.count();
    seenState_ = state;
}

void ListView::syncRows()
{
    resizePicture();
    const int rows = static_cast<int>(drawn_.size());
    const int top = topIndex();
    const int delta = top - drawnTop_;
    QRegion dirty;
    if (delta != 0) {
        // Scrolled: move what stays visible and draw only the rows that came into sight.
        if (std::abs(delta) < rows) {
            const int keep = rows - std::abs(delta);
            const int bpl = static_cast<int>(image_.bytesPerLine());
            uchar* bits = image_.bits();
            const std::size_t bytes = static_cast<std::size_t>(keep) * kItem * static_cast<std::size_t>(bpl);
            if (delta > 0) {
                std::memmove(bits, bits + std::size_t(delta) * kItem * std::size_t(bpl), bytes);
                std::rotate(drawn_.begin(), drawn_.begin() + delta, drawn_.end());
                std::rotate(valid_.begin(), valid_.begin() + delta, valid_.end());
                std::fill(valid_.begin() + keep, valid_.end(), char(0));
            } else {
                std::memmove(bits + std::size_t(-delta) * kItem * std::size_t(bpl), bits, bytes);
                std::rotate(drawn_.begin(), drawn_.begin() + keep, drawn_.end());
                std::rotate(valid_.begin(), valid_.begin() + keep, valid_.end());
                std::fill(valid_.begin(), valid_.begin() + (-delta), char(0));
            }
        } else {
            std::fill(valid_.begin(), valid_.end(), char(0));
        }
        dirty = QRegion(viewport()->rect());
        drawnTop_ = top;
    }

    itemsDrawn_ = 0;
    const int count = model_.count();
    for (int r = 0; r < rows; ++r) {
        const int index = top + r;
        LineLook look = index < count ? lookAt(index) : LineLook{};
        auto i = static_cast<std::size_t>(r);
        if (valid_[i] && drawn_[i] == look) continue;
        painter_.draw(image_, r * kItem, look);
        drawn_[i] = std::move(look);
        valid_[i] = 1;
        ++itemsDrawn_;
        dirty += QRect(0, r * kItem - 1, viewport()->width(), kItem + 1);
    }
    if (!dirty.isEmpty()) viewport()->update(dirty);
}

void ListView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    const QRect r = event->rect();
    p.drawImage(r, image_, r.translated(horizontalScrollBar()->value(), 0));
}

void ListView::scrollContentsBy(int dx, int dy)
{
    if (dy != 0 && !syncing_) syncRows();
    if (dx != 0) viewport()->update();
}

void ListView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
    resizePicture();
    invalidate();
    syncRows();
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    const int count = model_.count();
    const QPoint pos = event->position().toPoint();
    // A left press selects the item under it (the last one below the items), as a list box does.
    const bool selects = event->button() == Qt::LeftButton && count > 0;
    if (selects) selected_ = std::min(topIndex() + std::max(pos.y(), 0) / kItem, count - 1);
    model_.memo1MouseDown(pos.x(), (event->modifiers() & Qt::ControlModifier) != 0, selected_);
    if (selects) model_.memo1Click();
    event->accept();
    refresh();
}

void ListView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    refresh();
}

void ListView::focusInEvent(QFocusEvent* event)
{
    model_.hasFocus = true;
    QAbstractScrollArea::focusInEvent(event);
}

void ListView::focusOutEvent(QFocusEvent* event)
{
    model_.hasFocus = false;
    QAbstractScrollArea::focusOutEvent(event);
}

} // namespace varnock
