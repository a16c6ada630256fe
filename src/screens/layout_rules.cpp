#include "screens/layout_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace velomar {
namespace {

constexpr int kWideScreen = 480;

bool isWide(ScreenSize screen) {
    return screen.width >= kWideScreen;
}

// Nearest pixel, halves away from zero, as the platform's MulDiv rounds.
std::optional<int> scale(int value, int numerator, int divisor) {
    if (divisor <= 0) {
        return std::nullopt;
    }
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = divisor / 2;
    const std::int64_t result =
        product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(result);
}

using enum TileFace;
using enum TileInk;
using enum TileArrow;

// Labels are grey with black lettering, the buttons that act are orange with white
// lettering; a pressed tile turns grey.
constexpr ButtonTile kTiles[] = {
    // Portrait, 480 wide.
    {145, 135, 38, u"출발시간", Grey, Black, None},
    {147, 135, 38, u"열차선택", Grey, Black, None},
    {148, 96, 38, u"도착역", Orange, White, None},
    {149, 96, 38, u"출발역", Orange, White, None},
    {150, 65, 55, u"이전", Orange, White, Back},
    {151, 65, 55, u"다음", Orange, White, Forward},
    {152, 319, 58, u"조회하기", Orange, White, None},
    {153, 319, 58, u"조회하기", Grey, White, None},
    {154, 65, 55, u"이전", Grey, White, Back},
    {155, 65, 55, u"다음", Grey, White, Forward},
    // Portrait, 240 wide.
    {156, 69, 20, u"열차선택", Grey, Black, None},
    {157, 69, 20, u"출발시간", Grey, Black, None},
    {158, 50, 20, u"도착역", Orange, White, None},
    {159, 50, 20, u"출발역", Orange, White, None},
    {160, 33, 27, u"이전", Orange, White, Back},
    {161, 33, 27, u"다음", Orange, White, Forward},
    {162, 162, 27, u"조회하기", Orange, White, None},
    {163, 162, 27, u"조회하기", Grey, White, None},
    {164, 33, 27, u"다음", Grey, White, Forward},
    {165, 33, 27, u"이전", Grey, White, Back},
    // Square.
    {173, 87, 24, u"출발시간", Grey, Black, None},
    {174, 87, 24, u"열차선택", Grey, Black, None},
    {175, 65, 24, u"도착역", Orange, White, None},
    {176, 65, 24, u"출발역", Orange, White, None},
    {177, 42, 35, u"다음", Orange, White, Forward},
    {178, 42, 35, u"이전", Orange, White, Back},
    {179, 206, 37, u"조회하기", Orange, White, None},
    {180, 206, 37, u"조회하기", Grey, White, None},
    {181, 42, 35, u"다음", Grey, White, Forward},
    {182, 42, 35, u"이전", Grey, White, Back},
};

}  // namespace

DialogUnits DialogUnitsFor(ScreenSize screen) {
    return isWide(screen) ? DialogUnits{16, 26, 4, 8} : DialogUnits{8, 13, 4, 8};
}

DialogUnits SquareDialogUnits(ScreenSize screen) {
    const DialogTemplate* square = FindDialogTemplate(kSquareTemplate);
    return DialogUnits{screen.width, 13, square->width, 8};
}

DialogUnits PortraitFormUnits(ScreenSize screen) {
    const DialogUnits units = DialogUnitsFor(screen);
    if (screen.width == 240 || screen.width == kWideScreen) {
        return units;
    }
    const DialogTemplate* portrait = FindDialogTemplate(kPortraitTemplate);
    return DialogUnits{screen.width, units.baseY, portrait->width, units.divisorY};
}

std::optional<PixelRect> ToPixels(const DuRect& rect, DialogUnits units) {
    if (rect.width < 0 || rect.height < 0) {
        return std::nullopt;
    }
    const auto left = scale(rect.x, units.baseX, units.divisorX);
    const auto top = scale(rect.y, units.baseY, units.divisorY);
    const auto right = scale(rect.x + rect.width, units.baseX, units.divisorX);
    const auto bottom = scale(rect.y + rect.height, units.baseY, units.divisorY);
    if (!left || !top || !right || !bottom) {
        return std::nullopt;
    }
    const std::int64_t width = static_cast<std::int64_t>(*right) - *left;
    const std::int64_t height = static_cast<std::int64_t>(*bottom) - *top;
    if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return PixelRect{*left, *top, static_cast<int>(width), static_cast<int>(height)};
}

int ChromeStripHeight(ScreenSize screen) {
    return isWide(screen) ? 52 : 26;
}

std::u16string TitleClockText(LocalTime time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    return std::u16string(text, text + std::strlen(text));
}

int FontPixelSize(int pointSize, ScreenSize screen) {
    const int dpi = isWide(screen) ? 192 : 96;
    return (pointSize * dpi + 36) / 72;
}

LayoutAction ChooseLayout(ScreenSize screen, bool& squareShown) {
    if (screen.width == 240 && screen.height == 400) {
        return {LayoutActionKind::Relayout, kPortraitTallTemplate};
    }
    if (screen.width == 320) {
        if (squareShown) {
            return {};
        }
        squareShown = true;
        return {LayoutActionKind::SquareDialog, 0};
    }
    if (screen.width == kWideScreen) {
        return {LayoutActionKind::Relayout, kPortraitWideTemplate};
    }
    return {};
}

ColumnWidths PortraitColumnWidths(ScreenSize screen) {
    const int base = isWide(screen) ? kWideScreen : 240;
    ColumnWidths widths =
        isWide(screen) ? ColumnWidths{116, 111, 111, 130} : ColumnWidths{58, 55, 55, 65};
    if (screen.width != base) {
        for (int& width : widths) {
            width = width * screen.width / base;
        }
    }
    return widths;
}

ResultListRows FitResultRows(int inner, int naturalHeader, int naturalRow, int rows) {
    if (rows <= 0 || naturalHeader + rows * naturalRow <= inner) {
        return {naturalHeader, naturalRow};
    }
    const int row = std::clamp(inner / (rows + 1), 1, std::max(naturalRow, 1));
    return {std::clamp(inner - rows * row, 1, std::max(naturalHeader, 1)), row};
}

ColumnWidths SquareColumnWidths() {
    return {75, 70, 70, 82};
}

ButtonImageSet PortraitButtonImages(ScreenSize screen) {
    using namespace portrait_id;
    if (isWide(screen)) {
        return {{{kTypeLabel, 147, 147},
                 {kTimeLabel, 145, 145},
                 {kDepartureButton, 149, 149},
                 {kArrivalButton, 148, 148},
                 {kPrev, 150, 154},
                 {kSearch, 152, 153},
                 {kNext, 151, 155}}};
    }
    return {{{kTypeLabel, 156, 156},
             {kTimeLabel, 157, 157},
             {kDepartureButton, 159, 159},
             {kArrivalButton, 158, 158},
             {kPrev, 160, 165},
             {kSearch, 162, 163},
             {kNext, 161, 164}}};
}

ButtonImageSet SquareButtonImages() {
    using namespace square_id;
    return {{{kTypeLabel, 174, 174},
             {kTimeLabel, 173, 173},
             {kDepartureButton, 176, 176},
             {kArrivalButton, 175, 175},
             {kPrev, 178, 182},
             {kSearch, 179, 180},
             {kNext, 177, 181}}};
}

const ButtonTile* FindButtonTile(int resourceId) {
    for (const ButtonTile& tile : kTiles) {
        if (tile.resourceId == resourceId) {
            return &tile;
        }
    }
    return nullptr;
}

}  // namespace velomar
