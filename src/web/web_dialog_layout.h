#pragma once

// The dialogs as the page draws them: each one's template on the emulated screen, sized and
// placed by the rules of screens/screen_fit.h and of each dialog.

#include <string>
#include <vector>

#include "screens/main_screen.h"
#include "web/web_layout.h"

namespace velomar {

struct DialogLayout {
    int templateId = 0;
    std::u16string caption;
    PixelRect frame;  // on the screen, caption strip included
    int captionHeight = 0;
    int fontPixels = 0;
    int captionFontPixels = 0;
    std::vector<WebControl> controls;  // in the client area below the caption strip
    WebList list;                      // the dialog's list, when it has one
};

// The station picker of a layout for one end: the end's tile, fourteen labelled group lists
// (id = the group's list id), "선택" and "취 소".
DialogLayout PickerLayout(Layout layout, ScreenSize screen, bool departure);
DialogLayout FavoritesLayout(ScreenSize screen);
DialogLayout OptionsLayout(ScreenSize screen);
// "날짜 선택": the period's days in one list (role "list"), OK and 취소.
DialogLayout DatePickerLayout(ScreenSize screen);
DialogLayout DetailLayout(Layout layout, ScreenSize screen);
// On a phone the About dialog takes the screen's units like the others, so its text stays
// legible (the desktop keeps the small screen's look on every size). With the timetables'
// notes (`sourceLines` lines of SOURCE.txt) it grows by a box for them, role "source".
DialogLayout AboutLayout(ScreenSize screen, int sourceLines);
// A message box: caption, the text and one OK, as wide as the screen allows.
DialogLayout MessageLayout(ScreenSize screen, std::u16string_view caption);

}  // namespace velomar
