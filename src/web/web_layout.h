#pragma once

// Where the page draws each control: the handheld's templates, relayouts, tiles and column
// widths worked out in handheld pixels of the emulated screen, so the page only places
// boxes. Everything here comes from the rules in src/screens; what is the web's own is the
// stretched form (web/phone_screen.h) and list rows that share the list's height.

#include <string>
#include <vector>

#include "platform/host.h"
#include "screens/dialog_template.h"
#include "screens/layout_rules.h"
#include "screens/main_screen.h"

namespace velomar {

// One control, in pixels of the emulated screen (a dialog's controls: of its client area).
struct WebControl {
    std::string role;  // what the page does with it: "search", "departure", "ok", "group"...
    int id = kStaticItemId;
    ItemClass kind = ItemClass::Static;
    std::u16string text;
    PixelRect rect;
    int tile = 0;  // the button's tile (layout_rules.h), 0 for a plain button
    int pressedTile = 0;
    bool enabled = true;
    int group = -1;  // the picker's group lists
};

WebControl MakeControl(std::string role, int id, ItemClass kind, std::u16string text,
                       PixelRect rect);

// A template's controls converted with `units`; a closed drop-down list is one line high.
std::vector<WebControl> TemplateControls(const DialogTemplate& dialog, DialogUnits units);

// The role of a template's control: the page wires its events by role, never by id.
std::string ControlRole(int templateId, int controlId);

// A list's columns and the heights of its header and rows.
struct WebList {
    std::vector<std::u16string> headers;
    std::vector<int> widths;
    int headerHeight = 0;
    int rowHeight = 0;
};

struct FormLayout {
    Layout layout = Layout::Portrait;
    ScreenSize screen;
    int strip = 0;  // the title strip above and the menu bar below; none in the square layout
    int fontPixels = 0;
    int stripFontPixels = 0;
    std::vector<WebControl> controls;  // in the area between the strips
    WebList list;                      // the result list: no columns on some widths
    // The date drop-down, shown where the timetables carry dates: portrait in the menu bar
    // (the strip's coordinates), square in the area, where the control of role "webAddress"
    // then gives way to it.
    PixelRect dateBox;
};

// The main screen in a layout on the emulated screen, after its start-up and layout choice.
// Rows are never lower than `minimumRow` pixels: on the smallest phones the list then
// scrolls by a row rather than shrink its rows below a finger's size.
FormLayout MainFormLayout(Layout layout, ScreenSize screen, int minimumRow = 0);

// The natural height of a line of text in a font of this size, and of a list row.
int LineHeight(int fontPixels);

// Header and rows in a list `inner` pixels high showing `rows` rows: the rows share the height
// left by the header, never less than FitResultRows gives nor than `minimumRow`.
WebList FitListRows(WebList list, int inner, int fontPixels, int rows, int minimumRow = 0);

}  // namespace velomar
