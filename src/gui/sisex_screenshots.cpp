// The explorer's documentation pictures, taken by driving its own buttons one step per event-loop turn.
#include "gui/sisex_screenshots.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include "gui/main_window.h"
#include "gui/sisex_picture.h"
#include "gui/sisex_window.h"
#include "sisex/page_geometry.h"

namespace varnock {

namespace {

void shoot(Tfosis& w, const QString& dir, const char* name)
{
    const QString file = dir + QStringLiteral("/explorer-") + QLatin1String(name) + QStringLiteral(".png");
    if (w.grab().save(file)) std::printf("%s\n", qPrintable(file));
    else std::fprintf(stderr, "varnock: cannot write %s\n", qPrintable(file));
    std::fflush(stdout);
}

template <typename T = QAbstractButton>
T* child(Tfosis& w, const char* name)
{
    return w.findChild<T*>(QString::fromLatin1(name));
}

// Zoom position and pixel of the strongest value of the page, for a picture with something in it.
struct Strongest {
    int position = 0;
    int x = 0, y = 0;
};

Strongest strongestOf(const uint16_t* page)
{
    Strongest s;
    if (page == nullptr) return s;
    int best = -1;
    for (int i = 0; i < sisex::kPageValues; ++i)
        if (page[i] > best) {
            best = page[i];
            s.x = i % sisex::kRowValues;
            s.y = i / sisex::kRowValues;
        }
    const int row = s.y;
    s.position = std::min(sisex::kPositionMax, std::max(0, (row - 64) / 64));
    const int q = row - 64 * s.position; // screen row, drawn on pixel rows 2q - 2 and 2q - 1
    s.x = 2 * s.x;
    s.y = std::max(0, 2 * q - 2);
    return s;
}

} // namespace

void scheduleExplorerScreenshots(MainWindow& main, Tfosis& explorer, const QString& dir, int liveMs,
                                 std::function<void()> done)
{
    QPointer<Tfosis> w(&explorer);
    if (auto* sisex = main.findChild<QAbstractButton*>(QStringLiteral("sbsisex")); sisex != nullptr && sisex->isEnabled())
        sisex->click();
    QTimer::singleShot(liveMs, w, [w, dir, done] {
        shoot(*w, dir, "live");
        child(*w, "sblive")->click(); // stop: the ring in time order, the newest page shown
        QTimer::singleShot(300, w, [w, dir, done] {
            shoot(*w, dir, "overview");
            child(*w, "sbslow1")->click(); // zoom
            const Strongest s = strongestOf(w->explorer().ring().shownPage());
            child<QSlider>(*w, "TrackBar1")->setValue(s.position);
            if (w->picture()->onPress) w->picture()->onPress(sisex::MouseButton::Left, s.x, s.y);
            QTimer::singleShot(300, w, [w, dir, done] {
                shoot(*w, dir, "zoom");
                QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                                  Qt::RightButton, Qt::NoModifier);
                QCoreApplication::sendEvent(child<QWidget>(*w, "sbslow1"), &right);
                child(*w, "Run")->click();
                // The sorted list ends with the most frequent spacings.
                if (auto* list = child<QListWidget>(*w, "lb1")) list->scrollToBottom();
                QTimer::singleShot(300, w, [w, dir, done] {
                    shoot(*w, dir, "statistics");
                    if (done) done();
                });
            });
        });
    });
}

} // namespace varnock
