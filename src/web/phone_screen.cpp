#include "web/phone_screen.h"

#include <algorithm>
#include <cmath>

#include "screens/dialog_template.h"

namespace velomar {

namespace {

constexpr int kHandheldWidth = 480;
constexpr int kHandheldHeight = 800;
constexpr int kSquareSide = 320;
// Below this height a sideways viewport cannot show the 480 x 800 screen legibly.
constexpr int kSidewaysMinimum = 560;

bool upright(int width, int height) {
    return static_cast<long long>(height) * 4 >= static_cast<long long>(width) * 5;
}

// The template the form's tallest layout on this screen uses.
int tallestFormTemplate(ScreenSize screen) {
    bool shown = true;  // the layout choice without the square dialog
    const LayoutAction action = ChooseLayout(screen, shown);
    return action.kind == LayoutActionKind::Relayout ? action.templateId : kPortraitTemplate;
}

}  // namespace

PhoneScreen PhoneScreenFor(int viewportWidth, int viewportHeight) {
    const int width = viewportWidth > 0 ? viewportWidth : 320;
    const int height = viewportHeight > 0 ? viewportHeight : 480;
    if (upright(width, height)) {
        const double scale = width / static_cast<double>(kHandheldWidth);
        const int screenHeight = static_cast<int>(std::lround(height / scale));
        return {{kHandheldWidth, screenHeight}, scale};
    }
    if (height >= kSidewaysMinimum) {
        const double scale = std::min({1.0, height / static_cast<double>(kHandheldHeight),
                                       width / static_cast<double>(kHandheldWidth)});
        return {{kHandheldWidth, kHandheldHeight}, scale};
    }
    return SquareScreenFor(width, height);
}

PhoneScreen SquareScreenFor(int viewportWidth, int viewportHeight) {
    const int side = std::max(1, std::min(viewportWidth, viewportHeight));
    return {{kSquareSide, kSquareSide}, side / static_cast<double>(kSquareSide)};
}

DialogUnits PhoneFormUnits(ScreenSize screen) {
    DialogUnits units = PortraitFormUnits(screen);
    const DialogTemplate* tallest = FindDialogTemplate(tallestFormTemplate(screen));
    const int client = screen.height - 2 * ChromeStripHeight(screen);
    // Compared as fractions: client / height against baseY / divisorY.
    if (tallest != nullptr && static_cast<long long>(client) * units.divisorY >
                                  static_cast<long long>(units.baseY) * tallest->height) {
        units.baseY = client;
        units.divisorY = tallest->height;
    }
    return units;
}

double PhoneFormStretch(ScreenSize screen) {
    const DialogUnits plain = PortraitFormUnits(screen);
    const DialogUnits stretched = PhoneFormUnits(screen);
    return (stretched.baseY / static_cast<double>(stretched.divisorY)) /
           (plain.baseY / static_cast<double>(plain.divisorY));
}

}  // namespace velomar
