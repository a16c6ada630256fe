#include "app/screen_area.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/zoomed_screen.h"
#include "screens/screen_fit.h"

namespace velomar {

QRect ScreenArea::toGlobal(const PixelRect& rect) const {
    return {origin.x() + qRound(rect.x * zoom), origin.y() + qRound(rect.y * zoom), rect.width,
            rect.height};
}

QPoint ScreenArea::fromGlobal(const QPoint& point) const {
    return {qRound((point.x() - origin.x()) / zoom), qRound((point.y() - origin.y()) / zoom)};
}

PixelRect ScreenArea::rectOf(const QWidget& widget) const {
    // The window's place on the screen, then the widget's inside it.
    const QWidget* window = widget.window();
    std::optional<QPoint> place;
    if (dynamic_cast<const ScreenWindow*>(window) != nullptr) {
        place = QPoint(0, 0);
    } else if (const auto* placed = dynamic_cast<const PlacedWindow*>(window)) {
        place = placed->screenPlace();
    }
    const QPoint at = place ? *place + widget.mapTo(window, QPoint(0, 0))
                            : fromGlobal(widget.mapToGlobal(QPoint(0, 0)));
    return {at.x(), at.y(), widget.width(), widget.height()};
}

ScreenArea ScreenAreaOf(const QWidget* widget) {
    const QWidget* screen = nullptr;
    for (const QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
        if (dynamic_cast<const ScreenWindow*>(at) != nullptr) {
            screen = at;
        }
    }
    if (screen != nullptr) {
        return {screen->mapToGlobal(QPoint(0, 0)),
                dynamic_cast<const ScreenWindow*>(screen)->emulatedScreen(), SceneZoom(*screen)};
    }
    const QScreen* desktop =
        widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    const QRect free = desktop != nullptr ? desktop->availableGeometry() : QRect(0, 0, 640, 480);
    return {free.topLeft(), ScreenSize{free.width(), free.height()}};
}

void PlacePopupOnScreen(QWidget& popup, const QWidget& anchor, int wanted) {
    const ScreenArea area = ScreenAreaOf(&anchor);
    const int height = wanted > 0 ? qMin(wanted, popup.height()) : popup.height();
    const PixelRect place =
        PlaceDropDown(area.rectOf(anchor), qMax(popup.width(), anchor.width()), height, area.size);
    if (!PlaceInScene(popup, QRect(place.x, place.y, place.width, place.height))) {
        popup.setGeometry(area.toGlobal(place));
    }
}

}  // namespace velomar
