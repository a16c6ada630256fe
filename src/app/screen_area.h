#pragma once

// The handheld's screen on the desktop: where it is, and how dialogs and popups opened from
// any widget on it are kept inside it.

#include <QPoint>
#include <QRect>
#include <optional>

#include "platform/host.h"
#include "screens/layout_rules.h"

class QWidget;

namespace velomar {

// A window that stands for the whole emulated screen: the main window, and the square dialog
// while it runs over it.
class ScreenWindow {
  public:
    virtual ~ScreenWindow() = default;
    virtual ScreenSize emulatedScreen() const = 0;
};

// A window the program puts at a place of the emulated screen (a dialog). Places inside it
// are worked out from that place, never from what the window system last said of the window:
// a window manager that has just framed a dialog may report it at 0,0 for a while.
class PlacedWindow {
  public:
    virtual ~PlacedWindow() = default;
    // Top left on the emulated screen; nothing until the window has been placed.
    virtual std::optional<QPoint> screenPlace() const = 0;
};

// The emulated screen on the desktop: its top left in desktop coordinates, its own size, and
// how many desktop pixels one of its pixels takes when it is drawn smaller than it is. Sizes
// of widgets are always in the emulated screen's pixels; only positions are scaled.
struct ScreenArea {
    QPoint origin;
    ScreenSize size;
    double zoom = 1.0;

    // A place on the emulated screen as a window position, and back.
    QRect toGlobal(const PixelRect& rect) const;
    QPoint fromGlobal(const QPoint& point) const;
    // Where a widget is on the emulated screen.
    PixelRect rectOf(const QWidget& widget) const;
};

// The screen of the outermost ScreenWindow among `widget` and its parents (the main window,
// also while the square form covers it); without one (a dialog made on its own) the desktop's
// free area.
ScreenArea ScreenAreaOf(const QWidget* widget);

// Opens `popup` (a top-level list already shown) under `anchor`, `wanted` pixels high at
// most, inside the emulated screen: below the anchor, or above it when there is more room.
// Drop-down lists use it; so can any other list that drops from a field.
void PlacePopupOnScreen(QWidget& popup, const QWidget& anchor, int wanted);

}  // namespace velomar
