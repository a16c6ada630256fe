#pragma once

// How the main screen adapts to the emulated screen: dialog-unit metrics, chrome strips,
// the layout choice, list column widths and the button tiles of each screen width.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"
#include "screens/dialog_template.h"

namespace velomar {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Dialog base units: x_px = x_du * baseX / divisorX, y_px = y_du * baseY / divisorY.
struct DialogUnits {
    int baseX = 8;
    int baseY = 13;
    int divisorX = 4;
    int divisorY = 8;
    friend bool operator==(const DialogUnits&, const DialogUnits&) = default;
};

// 8 x 13 below 480 pixels wide, 16 x 26 from 480 up (the high-resolution screens). The
// portrait templates are 120 units wide, so they fill 240 and 480 pixels exactly.
DialogUnits DialogUnitsFor(ScreenSize screen);
// The square template (131 units) spread over the screen's width, 13 vertically. With the
// plain 8 x 13 units its tiles would overlap their neighbours (the 206-pixel Search tile
// runs into Next, the 87-pixel labels into the lists).
DialogUnits SquareDialogUnits(ScreenSize screen);

// The portrait form's units: those of the screen on 240- and 480-wide screens, for which the
// template is made; on any other width it is spread over the width (x = du * W / 120), as the
// square form is, so that nothing is cut off at the right or left empty.
DialogUnits PortraitFormUnits(ScreenSize screen);

// Converts the left/top and right/bottom edges, rounding to the nearest pixel, so that
// neighbouring items share their edges. Nothing for a negative size or a value whose pixels
// would not fit an int.
std::optional<PixelRect> ToPixels(const DuRect& rect, DialogUnits units);

// Height of the title strip and of the menu bar strip.
int ChromeStripHeight(ScreenSize screen);
// The strips' lettering, in points; widgets without a font of their own (menus) use it too.
inline constexpr int kChromeFontPoints = 9;
// The clock at the right of the title strip: "07:05".
std::u16string TitleClockText(LocalTime time);
// Point size -> pixel size of the screen's font (96 dpi below 480 wide, 192 from 480 up).
int FontPixelSize(int pointSize, ScreenSize screen);

// What the portrait form does when it gets its size.
enum class LayoutActionKind { Nothing, Relayout, SquareDialog };
struct LayoutAction {
    LayoutActionKind kind = LayoutActionKind::Nothing;
    int templateId = 0;  // for Relayout
    friend bool operator==(const LayoutAction&, const LayoutAction&) = default;
};

// 240 x 400: relayout 201; 480 wide: relayout 202; 320 wide: the square dialog the first
// time in a run (`squareShown` is set here, before the dialog runs); anything else: nothing.
LayoutAction ChooseLayout(ScreenSize screen, bool& squareShown);

// Widths of the columns "열차No", "출발時", "도착時", "열 차".
using ColumnWidths = std::array<int, 4>;
// The 240 and 480 sets on those widths; any other width (320 after the square dialog was
// cancelled) gets the set below it (the 240 set below 480) widened with the spread form.
ColumnWidths PortraitColumnWidths(ScreenSize screen);
ColumnWidths SquareColumnWidths();

// The headers of the result list, all centred.
inline constexpr std::array<std::u16string_view, 4> kResultColumnHeaders{u"열차No", u"출발時",
                                                                         u"도착時", u"열 차"};

// Heights in the result list so that a full page shows without scrolling.
struct ResultListRows {
    int headerHeight = 0;
    int rowHeight = 0;
    friend bool operator==(const ResultListRows&, const ResultListRows&) = default;
};
// `inner` is the list's height inside its border, `rows` the rows of a full page. The natural
// heights (the font's) when header and rows fit; otherwise the rows shrink to an equal share
// of the height (header included) and the header takes what is left, up to its own height.
ResultListRows FitResultRows(int inner, int naturalHeader, int naturalRow, int rows);

// One button and the tiles it shows.
struct ButtonImages {
    int controlId = 0;
    int normalTile = 0;
    int pressedTile = 0;  // the same as normal for the labels and station buttons
};
using ButtonImageSet = std::array<ButtonImages, 7>;

// Same width rule as the columns.
ButtonImageSet PortraitButtonImages(ScreenSize screen);
ButtonImageSet SquareButtonImages();

enum class TileFace { Orange, Grey };
enum class TileInk { White, Black };
enum class TileArrow { None, Back, Forward };

// A button bitmap drawn in code: size in pixels, lettering and colours.
struct ButtonTile {
    int resourceId = 0;
    int width = 0;
    int height = 0;
    std::u16string_view lettering;
    TileFace face = TileFace::Orange;
    TileInk ink = TileInk::White;
    TileArrow arrow = TileArrow::None;  // a bent arrow above the lettering
};

// Tiles 145-165 (portrait) and 173-182 (square); nothing for any other id.
const ButtonTile* FindButtonTile(int resourceId);

}  // namespace velomar
