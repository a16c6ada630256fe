#include "screens/screen_fit.h"

#include <gtest/gtest.h>

#include "screens/detail_layout.h"
#include "screens/favorites.h"
#include "screens/options.h"
#include "screens/station_picker.h"

namespace velomar {
namespace {

constexpr ScreenSize kSmall{240, 320};
constexpr ScreenSize kWide{480, 800};

TEST(DialogCaptionTest, CaptionIsAsHighAsTheChromeStrips) {
    EXPECT_EQ(DialogCaptionHeight(kSmall), 26);
    EXPECT_EQ(DialogCaptionHeight({320, 320}), 26);
    EXPECT_EQ(DialogCaptionHeight(kWide), 52);
}

struct UnitsCase {
    const char* name;
    int widthDu;
    int heightDu;
    ScreenSize screen;
    int expectedWidth;  // pixels of the whole template
    int expectedHeight;
};

class FitDialogUnitsTest : public ::testing::TestWithParam<UnitsCase> {};

// Every dialog, caption strip included, fits its screen; one that fits already is unchanged.
TEST_P(FitDialogUnitsTest, TemplatesFitTheScreen) {
    const UnitsCase& c = GetParam();
    SCOPED_TRACE(c.name);
    const int caption = DialogCaptionHeight(c.screen);
    const DialogUnits units =
        FitDialogUnits(DialogUnitsFor(c.screen), c.widthDu, c.heightDu, caption, c.screen);
    const auto whole = ToPixels({0, 0, c.widthDu, c.heightDu}, units);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->width, c.expectedWidth);
    EXPECT_EQ(whole->height, c.expectedHeight);
    EXPECT_LE(whole->width, c.screen.width);
    EXPECT_LE(whole->height + caption, c.screen.height);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, FitDialogUnitsTest,
    ::testing::Values(
        // 122 units are 244 pixels: narrowed to the 240 of the screen.
        UnitsCase{"picker", kPickerWidthDu, kPickerHeightDu, kSmall, 240, 293},
        UnitsCase{"options", 122, 153, kSmall, 240, 249},
        // About is 143 units (286 pixels) wide.
        UnitsCase{"about", 143, 176, kSmall, 240, 286},
        UnitsCase{"favorites", 120, 180, kSmall, 240, 293},
        UnitsCase{"detail", 89, 105, kSmall, 178, 171},
        UnitsCase{"picker wide", kPickerWidthDu, kPickerHeightDu, kWide, 480, 585},
        UnitsCase{"about wide", 143, 176, kWide, 480, 572},
        // A landscape screen too low for the picker: narrowed vertically as well.
        UnitsCase{"picker landscape", kPickerWidthDu, kPickerHeightDu, {320, 240}, 244, 214}));

TEST(FitDialogUnitsTest, UnitsOfAFittingTemplateStayAsTheyAre) {
    const DialogUnits units = DialogUnitsFor(kWide);
    EXPECT_EQ(FitDialogUnits(units, 89, 105, 52, kWide), units);
    EXPECT_EQ(FitDialogUnits(units, 0, 0, 52, kWide), units);
}

struct KeepCase {
    PixelRect rect;
    PixelRect expected;
};

class KeepWithinScreenTest : public ::testing::TestWithParam<KeepCase> {};

TEST_P(KeepWithinScreenTest, MovesTheLeastDistance) {
    EXPECT_EQ(KeepWithinScreen(GetParam().rect, kSmall), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, KeepWithinScreenTest,
    ::testing::Values(KeepCase{{30, 32, 178, 197}, {30, 32, 178, 197}},  // inside already
                      KeepCase{{100, 200, 178, 197}, {62, 123, 178, 197}},
                      KeepCase{{-10, -5, 50, 50}, {0, 0, 50, 50}},
                      KeepCase{{70, 100, 240, 320}, {0, 0, 240, 320}},   // exactly the screen
                      KeepCase{{50, 50, 300, 400}, {0, 0, 300, 400}}));  // larger: top left

TEST(CentreOnScreenTest, CentresAndKeepsWithin) {
    EXPECT_EQ(CentreOnScreen(240, 319, kSmall), (PixelRect{0, 0, 240, 319}));
    EXPECT_EQ(CentreOnScreen(100, 100, kSmall), (PixelRect{70, 110, 100, 100}));
    EXPECT_EQ(CentreOnScreen(300, 100, kSmall), (PixelRect{0, 110, 300, 100}));
}

struct DropCase {
    const char* name;
    PixelRect box;
    int width;
    int height;
    PixelRect expected;
};

class PlaceDropDownTest : public ::testing::TestWithParam<DropCase> {};

TEST_P(PlaceDropDownTest, OpensInsideTheScreen) {
    const DropCase& c = GetParam();
    SCOPED_TRACE(c.name);
    const PixelRect list = PlaceDropDown(c.box, c.width, c.height, kSmall);
    EXPECT_EQ(list, c.expected);
    EXPECT_GE(list.x, 0);
    EXPECT_GE(list.y, 0);
    EXPECT_LE(list.x + list.width, kSmall.width);
    EXPECT_LE(list.y + list.height, kSmall.height);
    // Never over its own box.
    EXPECT_TRUE(list.y >= c.box.y + c.box.height || list.y + list.height <= c.box.y);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PlaceDropDownTest,
    ::testing::Values(
        DropCase{"below", {76, 52, 52, 20}, 52, 100, {76, 72, 52, 100}},
        DropCase{"exactly to the bottom", {76, 200, 52, 20}, 52, 100, {76, 220, 52, 100}},
        DropCase{"above when below is short", {76, 250, 52, 20}, 52, 100, {76, 150, 52, 100}},
        DropCase{"cut below, the larger side", {36, 120, 82, 20}, 82, 206, {36, 140, 82, 180}},
        DropCase{"cut above, the larger side", {36, 200, 82, 20}, 82, 206, {36, 0, 82, 200}},
        DropCase{"moved left at the right edge", {200, 52, 30, 20}, 60, 50, {180, 72, 60, 50}},
        DropCase{"wider than the screen", {10, 52, 30, 20}, 300, 50, {0, 72, 240, 50}}));

}  // namespace
}  // namespace velomar
