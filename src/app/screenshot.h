#pragma once

// Unattended runs that render the screen once, after start-up, into a PNG file.

#include "app/app_options.h"

namespace velomar {

class MainWindow;

// Starts the window (the square dialog too, on 320-wide screens), presses Search when asked,
// opens the asked dialog and saves the picture to options.screenshotFile. False, with a line
// on standard error, when the picture could not be taken or written.
bool TakeScreenshot(MainWindow& window, const AppOptions& options);

}  // namespace velomar
