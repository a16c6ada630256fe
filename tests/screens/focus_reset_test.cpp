#include "screens/focus_reset.h"

#include <gtest/gtest.h>

#include "screens/screen_zoom.h"

namespace velomar {
namespace {

TEST(FocusResetGateTest, NothingResetsBeforeTheFormStarted) {
    FocusResetGate gate;
    // The square dialog opens and closes before the portrait form's start-up.
    gate.modalOpened();
    EXPECT_FALSE(gate.modalClosed());
    EXPECT_FALSE(gate.programEntered());
    gate.formStarted();
    EXPECT_TRUE(gate.programEntered());
}

TEST(FocusResetGateTest, ResetsWhenTheLastModalWindowCloses) {
    FocusResetGate gate;
    gate.formStarted();
    gate.modalOpened();                   // favourites
    gate.modalOpened();                   // its station picker
    EXPECT_FALSE(gate.programEntered());  // the picker has the focus
    EXPECT_FALSE(gate.modalClosed());     // back on the favourites, not on the form
    EXPECT_TRUE(gate.modalClosed());
    EXPECT_EQ(gate.openModals(), 0);
    // A close nobody opened (a window shown before the gate watched) changes nothing.
    EXPECT_FALSE(gate.modalClosed());
    EXPECT_EQ(gate.openModals(), 0);
    gate.modalOpened();
    EXPECT_TRUE(gate.modalClosed());
}

struct ZoomCase {
    const char* name;
    ScreenSize screen;
    DesktopSize desktop;
    DesktopSize frame;
    double expected;
};

class FitZoomTest : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(FitZoomTest, FramedScreenFitsTheDesktop) {
    const ZoomCase& c = GetParam();
    SCOPED_TRACE(c.name);
    const double zoom = FitZoom(c.screen, c.desktop, c.frame);
    EXPECT_DOUBLE_EQ(zoom, c.expected);
    if (zoom > kSmallestZoom) {
        EXPECT_LE(c.screen.width * zoom + c.frame.width, c.desktop.width + 1e-9);
        EXPECT_LE(c.screen.height * zoom + c.frame.height, c.desktop.height + 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, FitZoomTest,
    ::testing::Values(
        // A handheld-sized session without window manager: the real pixels.
        ZoomCase{"kiosk", {480, 800}, {480, 800}, {0, 0}, 1.0},
        ZoomCase{"large desktop", {240, 320}, {1920, 1080}, {2, 30}, 1.0},
        // A 1366 x 768 laptop with a 24-pixel title bar: 744 / 800.
        ZoomCase{"laptop", {480, 800}, {1366, 768}, {2, 24}, 0.93},
        ZoomCase{"laptop, no frame", {480, 800}, {1366, 768}, {0, 0}, 0.96},
        ZoomCase{"narrow", {480, 800}, {400, 2000}, {0, 0}, 0.83},
        ZoomCase{"just too small", {240, 400}, {1024, 400}, {0, 1}, 0.99},
        ZoomCase{"tiny desktop", {480, 800}, {100, 100}, {0, 0}, kSmallestZoom},
        ZoomCase{"no room at all", {480, 800}, {20, 20}, {40, 40}, kSmallestZoom}));

}  // namespace
}  // namespace velomar
