#include "screens/detail_layout.h"

#include <algorithm>
#include <array>

namespace velomar {

namespace {

constexpr std::array<DialogItem, 1> kPortraitDetailItems{{
    {1028, ItemClass::ListView, u"", {1, 0, 86, 104}},
}};
constexpr std::array<DialogItem, 1> kSquareDetailItems{{
    {1072, ItemClass::ListView, u"", {1, 0, 87, 83}},
}};

const DialogTemplate kPortraitDetail{
    166, 89, 105, kDetailCaption, u"굴림", 10, kPortraitDetailItems};
const DialogTemplate kSquareDetail{204, 90, 84, kDetailCaption, u"굴림", 9, kSquareDetailItems};

}  // namespace

const DialogTemplate& DetailTemplate(Layout layout) {
    return layout == Layout::Portrait ? kPortraitDetail : kSquareDetail;
}

int DetailListId(Layout layout) {
    return layout == Layout::Portrait ? 1028 : 1072;
}

DuRect DetailTemplateRect(Layout layout) {
    return layout == Layout::Portrait ? DuRect{15, 20, 89, 105} : DuRect{15, 20, 90, 84};
}

DetailPlacement DetailDialogPlacement(Layout layout, int screenWidth) {
    if (layout == Layout::Square) {
        return {ScreenPoint{50, 50}, 95, 86};
    }
    if (screenWidth < 320) {
        return {std::nullopt, 85, 70};
    }
    if (screenWidth < 480) {
        return {ScreenPoint{50, 50}, 95, 85};
    }
    return {ScreenPoint{70, 100}, 150, 135};
}

int DetailDialogGrowth(StopListMeasure list, std::size_t stops, int spare) {
    const long long wanted = list.header + static_cast<long long>(stops) * list.row;
    const long long missing = wanted - list.inside;
    return static_cast<int>(std::clamp<long long>(missing, 0, std::max(0, spare)));
}

}  // namespace velomar
