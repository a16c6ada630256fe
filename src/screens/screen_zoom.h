#pragma once

// How large the emulated handheld screen is drawn on the desktop. Every layout rule works in
// the emulated screen's own pixels; the zoom scales only the drawing (and maps the input
// back), so a picture at zoom 1 is pixel for pixel the emulated screen.

#include "platform/host.h"

namespace velomar {

inline constexpr double kSmallestZoom = 0.25;
inline constexpr double kLargestZoom = 8.0;

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

}  // namespace velomar
