#pragma once

// How large the emulated handheld screen is drawn on the desktop. Every layout rule works in
// the emulated screen's own pixels; the zoom scales only the drawing (and maps the input
// back), so a picture at zoom 1 is pixel for pixel the emulated screen.

#include <optional>
#include <string>

#include "platform/host.h"

namespace velomar {

inline constexpr double kSmallestZoom = 0.25;
inline constexpr double kLargestZoom = 8.0;
// The drawn screen is at most this many pixels on a side, the largest screen there is: a
// larger one would take gigabytes to draw and to save.
inline constexpr int kLargestDrawnSide = 4096;

// Desktop pixels: the part of the desktop windows may use, and what a window manager adds
// around a window (title bar and borders; nothing without one).
struct DesktopSize {
    int width = 0;
    int height = 0;
};

// The zoom that fits the framed screen into the desktop: 1 when it fits as it is (a screen
// smaller than the desktop keeps its real pixels), otherwise the largest factor in
// hundredths at which it fits, never below kSmallestZoom.
double FitZoom(ScreenSize screen, DesktopSize desktop, DesktopSize frame);

// Why the zoom drawn is smaller than the one asked for.
enum class ZoomCut { None, Desktop, Size };

struct ZoomChoice {
    double zoom = 1.0;
    ZoomCut cut = ZoomCut::None;
};

// What a run asks for: a zoom or none (fit), and where the screen is drawn: a window on a
// desktop of this free size framed by `frame`, or (no desktop) a picture or an off-screen run.
struct ZoomRequest {
    ScreenSize screen;
    std::optional<double> asked;
    std::optional<DesktopSize> desktop;
    DesktopSize frame;
};

// The zoom of the run. Fit: FitZoom on a desktop, 1 without one. An asked zoom is kept, cut
// to the largest in hundredths that keeps the framed window on the desktop (never below
// kSmallestZoom) and the drawn screen within kLargestDrawnSide.
ZoomChoice ChooseZoom(const ZoomRequest& request);

// The line a cut zoom is told with, e.g. "--zoom 2: a 960x1600 window does not fit the
// 1920x1080 desktop; using 1.3"; empty when nothing was cut.
std::string ZoomCutText(const ZoomRequest& request, const ZoomChoice& choice);

}  // namespace velomar
