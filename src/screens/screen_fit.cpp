#include "screens/screen_fit.h"

#include <algorithm>

namespace velomar {
namespace {

// One axis of a rectangle kept within [0, room).
int keepWithin(int start, int length, int room) {
    if (length >= room) {
        return 0;
    }
    return std::clamp(start, 0, room - length);
}

}  // namespace

int DialogCaptionHeight(ScreenSize screen) {
    return ChromeStripHeight(screen);
}

DialogUnits FitDialogUnits(DialogUnits units, int widthDu, int heightDu, int captionHeight,
                           ScreenSize screen) {
    const auto size = ToPixels({0, 0, widthDu, heightDu}, units);
    if (!size || widthDu <= 0 || heightDu <= 0) {
        return units;
    }
    if (size->width > screen.width) {
        units.baseX = screen.width;
        units.divisorX = widthDu;
    }
    const int room = screen.height - captionHeight;
    if (size->height > room && room > 0) {
        units.baseY = room;
        units.divisorY = heightDu;
    }
    return units;
}

PixelRect KeepWithinScreen(PixelRect rect, ScreenSize screen) {
    rect.x = keepWithin(rect.x, rect.width, screen.width);
    rect.y = keepWithin(rect.y, rect.height, screen.height);
    return rect;
}

PixelRect CentreOnScreen(int width, int height, ScreenSize screen) {
    return KeepWithinScreen(
        {(screen.width - width) / 2, (screen.height - height) / 2, width, height}, screen);
}

PixelRect PlaceDropDown(PixelRect box, int width, int height, ScreenSize screen) {
    const int below = screen.height - (box.y + box.height);
    const int above = box.y;
    PixelRect list{box.x, 0, std::min(width, screen.width), height};
    if (height <= below) {
        list.y = box.y + box.height;
    } else if (height <= above) {
        list.y = box.y - height;
    } else if (below >= above) {
        list.y = box.y + box.height;
        list.height = std::max(0, below);
    } else {
        list.height = above;
        list.y = 0;
    }
    list.x = keepWithin(list.x, list.width, screen.width);
    return list;
}

}  // namespace velomar
