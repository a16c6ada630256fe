#pragma once

// Everything the program opens stays on the handheld's screen, as it did on the device:
// dialogs are sized and placed inside it, drop-down lists open inside it. All sizes are in
// pixels of the emulated screen.

#include "platform/host.h"
#include "screens/layout_rules.h"

namespace velomar {

// Height of the caption strip (title and close box) above a dialog's client area.
int DialogCaptionHeight(ScreenSize screen);

// The dialog units a template gets on this screen: `units` unless the template, with its
// caption strip, would be wider or taller than the screen; then that axis is narrowed so the
// template fills the screen exactly.
DialogUnits FitDialogUnits(DialogUnits units, int widthDu, int heightDu, int captionHeight,
                           ScreenSize screen);

// The rectangle moved the least distance that brings it inside the screen; a rectangle
// larger than the screen keeps its size and sits at the screen's top or left edge.
PixelRect KeepWithinScreen(PixelRect rect, ScreenSize screen);
// A rectangle of this size in the middle of the screen, then kept within it.
PixelRect CentreOnScreen(int width, int height, ScreenSize screen);

// Where a drop-down list of `width` x `height` opens under `box` (the closed list): below it
// when it fits, else above it when that fits, else on the side with more room, cut to that
// room. Its left edge follows the box, moved left as far as needed to stay on the screen.
PixelRect PlaceDropDown(PixelRect box, int width, int height, ScreenSize screen);

}  // namespace velomar
