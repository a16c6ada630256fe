#pragma once

// Where the train detail dialog appears and how wide its two columns are, per layout and
// screen width, plus the data of its two templates. The stop list itself is built elsewhere.

#include <optional>
#include <string_view>

#include "screens/dialog_template.h"
#include "screens/main_screen.h"

namespace velomar {

inline constexpr std::u16string_view kDetailCaption = u"상세정보";
inline constexpr std::u16string_view kDetailNameHeader = u"역이름";
inline constexpr std::u16string_view kDetailTimeHeader = u"시간";

struct DetailTextColor {
    int red = 0;
    int green = 0;
    int blue = 255;
};
inline constexpr DetailTextColor kDetailTextColor{};

// Template 166 (portrait) or 204 (square): a popup with caption and close box, one report
// list with a border and no buttons. The dialog keeps its template size (no full-screen
// treatment) unless its stops need more room (DetailDialogGrowth).
const DialogTemplate& DetailTemplate(Layout layout);
int DetailListId(Layout layout);  // 1028 portrait, 1072 square
// Place and size of the dialog in its template: (15, 20), 89 x 105 or 90 x 84.
DuRect DetailTemplateRect(Layout layout);

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct DetailPlacement {
    std::optional<ScreenPoint> moveTo;  // nothing: stays where its template puts it
    int nameWidth = 0;                  // pixels, column "역이름"
    int timeWidth = 0;                  // pixels, column "시간"
    friend bool operator==(const DetailPlacement&, const DetailPlacement&) = default;
};

// Portrait: 240 stays with 85/70, 320 goes to (50,50) with 95/85, 480 to (70,100) with
// 150/135; other widths are treated as the next smaller of these (as 240 below 320), so
// every screen gets its columns. Square: (50,50) with 95/86 on any screen.
DetailPlacement DetailDialogPlacement(Layout layout, int screenWidth);

// The stop list as drawn at its template size, in pixels.
struct StopListMeasure {
    int inside = 0;  // within its frame, header included
    int header = 0;
    int row = 0;
};

// How many pixels taller than its template the detail dialog gets so that every one of
// `stops` rows shows without scrolling: none when they fit, `spare` at most (what the screen
// has beside the dialog); a train with more stops than that scrolls.
int DetailDialogGrowth(StopListMeasure list, std::size_t stops, int spare);

}  // namespace velomar
