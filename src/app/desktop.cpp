#include "app/desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdio>
#include <string>

#include "screens/screen_fit.h"

#ifdef VELOMAR_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace velomar {
namespace {

// Title bar and borders of the common window managers fit in this.
constexpr DesktopSize kFrameAllowance{8, 40};

#ifdef VELOMAR_HAVE_XCB
// An ICCCM window manager owns the selection WM_S0 of the first screen.
bool x11WindowManagerRuns(xcb_connection_t* connection) {
    const char name[] = "WM_S0";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name),
                              nullptr),
        &std::free);
    if (!atom) {
        return true;
    }
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return !owner || owner->owner != XCB_NONE;
}
#endif

bool windowManagerRuns() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return false;
    }
#ifdef VELOMAR_HAVE_XCB
    if (platform == QLatin1String("xcb")) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            return x11WindowManagerRuns(x11->connection());
        }
    }
#endif
    // Wayland compositors and the other desktops always frame their windows.
    return true;
}

}  // namespace

DesktopSize FreeDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {0, 0};
    }
    const QRect free = screen->availableGeometry();
    return {free.width(), free.height()};
}

DesktopSize WindowFrameAllowance() {
    return windowManagerRuns() ? kFrameAllowance : DesktopSize{0, 0};
}

double ChooseRunZoom(const AppOptions& options) {
    ZoomRequest request{options.screen, options.zoom, std::nullopt, WindowFrameAllowance()};
    // Pictures and timings are of the emulated screen's own pixels unless a zoom is asked for;
    // a window keeps to the desktop.
    const DesktopSize desktop = FreeDesktop();
    if (!options.screenshotFile && !options.firstFrameTime && desktop.width > 0 &&
        desktop.height > 0) {
        request.desktop = desktop;
    }
    const ZoomChoice choice = ChooseZoom(request);
    if (const std::string cut = ZoomCutText(request, choice); !cut.empty()) {
        std::fprintf(stderr, "velomar: %s\n", cut.c_str());
    }
    return choice.zoom;
}

void PlaceOnDesktop(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect free = screen->availableGeometry();
    const DesktopSize frame = WindowFrameAllowance();
    const PixelRect place =
        CentreOnScreen(window.width() + frame.width, window.height() + frame.height,
                       ScreenSize{free.width(), free.height()});
    window.move(free.topLeft() + QPoint(place.x, place.y));
}

}  // namespace velomar
