#include "screens/screen_zoom.h"

#include <algorithm>
#include <cmath>

namespace velomar {

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
    const auto hundredths = [](int room, int side) {
        return room <= 0 ? 0 : static_cast<int>((static_cast<long long>(room) * 100) / side);
    };
    const int fit = std::min(hundredths(roomX, screen.width), hundredths(roomY, screen.height));
    return std::max(kSmallestZoom, fit / 100.0);
}

}  // namespace velomar
