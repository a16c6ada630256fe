#pragma once

// The desktop the emulated screen is shown on: how much of it is free, whether a window
// manager frames windows, and where the window goes.

#include "app/app_options.h"
#include "screens/screen_zoom.h"

class QWidget;

namespace velomar {

// The primary screen's free area (without panels), in Qt's pixels.
DesktopSize FreeDesktop();
// What a window manager adds around the main window; nothing when none runs. Before the
// window is shown its frame is not known, so this is a generous allowance for one.
DesktopSize WindowFrameAllowance();
// The zoom of this run (ChooseZoom): the one asked for, cut to what the desktop and the
// largest drawn size allow (said on standard error), else the one that fits the desktop.
// Needs the application object.
double ChooseRunZoom(const AppOptions& options);
// Puts the window, its frame included, in the middle of the free desktop (at its top when it
// is taller).
void PlaceOnDesktop(QWidget& window);

}  // namespace velomar
