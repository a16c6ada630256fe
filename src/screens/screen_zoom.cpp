#include "screens/screen_zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velomar {

namespace {

// The largest zoom in whole hundredths at which `side` pixels take at most `room`.
int HundredthsWithin(int room, int side) {
    return room <= 0 || side <= 0 ? 0
                                  : static_cast<int>((static_cast<long long>(room) * 100) / side);
}

int Hundredths(double zoom) {
    return static_cast<int>(std::lround(zoom * 100));
}

std::string ZoomText(double zoom) {
    char text[16];
    std::snprintf(text, sizeof text, "%g", Hundredths(zoom) / 100.0);
    return text;
}

std::string SizeText(double width, double height) {
    return std::to_string(std::lround(std::ceil(width))) + "x" +
           std::to_string(std::lround(std::ceil(height)));
}

}  // namespace

double FitZoom(ScreenSize screen, DesktopSize desktop, DesktopSize frame) {
    const int roomX = desktop.width - frame.width;
    const int roomY = desktop.height - frame.height;
    if (screen.width <= 0 || screen.height <= 0) {
        return 1.0;
    }
    if (screen.width <= roomX && screen.height <= roomY) {
        return 1.0;
    }
    // In whole hundredths, rounded down, so the zoomed screen never exceeds the room.
    const int fit =
        std::min(HundredthsWithin(roomX, screen.width), HundredthsWithin(roomY, screen.height));
    return std::max(kSmallestZoom, fit / 100.0);
}

ZoomChoice ChooseZoom(const ZoomRequest& request) {
    const ScreenSize screen = request.screen;
    if (!request.asked) {
        return {request.desktop ? FitZoom(screen, *request.desktop, request.frame) : 1.0,
                ZoomCut::None};
    }
    ZoomChoice choice{*request.asked, ZoomCut::None};
    const auto cut = [&choice](int widthRoom, int heightRoom, ZoomCut why, ScreenSize side) {
        const int largest = std::min(HundredthsWithin(widthRoom, side.width),
                                     HundredthsWithin(heightRoom, side.height));
        const double zoom = std::max(kSmallestZoom, largest / 100.0);
        if (Hundredths(zoom) < Hundredths(choice.zoom)) {
            choice = {zoom, why};
        }
    };
    cut(kLargestDrawnSide, kLargestDrawnSide, ZoomCut::Size, screen);
    if (request.desktop) {
        cut(request.desktop->width - request.frame.width,
            request.desktop->height - request.frame.height, ZoomCut::Desktop, screen);
    }
    return choice;
}

std::string ZoomCutText(const ZoomRequest& request, const ZoomChoice& choice) {
    if (choice.cut == ZoomCut::None || !request.asked) {
        return {};
    }
    const double asked = *request.asked;
    const std::string drawn = SizeText(request.screen.width * asked, request.screen.height * asked);
    std::string text = "--zoom " + ZoomText(asked) + ": ";
    if (choice.cut == ZoomCut::Desktop) {
        text += "a " + drawn + " window does not fit the " +
                SizeText(request.desktop->width, request.desktop->height) + " desktop";
    } else {
        text += "the screen would be drawn " + drawn + " pixels, more than " +
                std::to_string(kLargestDrawnSide) + " on a side";
    }
    return text + "; using " + ZoomText(choice.zoom);
}

}  // namespace velomar
