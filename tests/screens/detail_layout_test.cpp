#include "screens/detail_layout.h"

#include <gtest/gtest.h>

namespace velomar {
namespace {

struct PlacementCase {
    Layout layout;
    int width;
    DetailPlacement expected;
};

class DetailPlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(DetailPlacementTest, ByLayoutAndWidth) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(DetailDialogPlacement(c.layout, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, DetailPlacementTest,
    testing::Values(PlacementCase{Layout::Portrait, 240, {std::nullopt, 85, 70}},
                    PlacementCase{Layout::Portrait, 320, {ScreenPoint{50, 50}, 95, 85}},
                    PlacementCase{Layout::Portrait, 480, {ScreenPoint{70, 100}, 150, 135}},
                    // Other widths: as the next smaller known width, always with columns.
                    PlacementCase{Layout::Portrait, 200, {std::nullopt, 85, 70}},
                    PlacementCase{Layout::Portrait, 319, {std::nullopt, 85, 70}},
                    PlacementCase{Layout::Portrait, 400, {ScreenPoint{50, 50}, 95, 85}},
                    PlacementCase{Layout::Portrait, 479, {ScreenPoint{50, 50}, 95, 85}},
                    PlacementCase{Layout::Portrait, 600, {ScreenPoint{70, 100}, 150, 135}},
                    PlacementCase{Layout::Square, 240, {ScreenPoint{50, 50}, 95, 86}},
                    PlacementCase{Layout::Square, 320, {ScreenPoint{50, 50}, 95, 86}},
                    PlacementCase{Layout::Square, 480, {ScreenPoint{50, 50}, 95, 86}}));

TEST(DetailTemplate, PortraitAndSquareDiffer) {
    const DialogTemplate& portrait = DetailTemplate(Layout::Portrait);
    const DialogTemplate& square = DetailTemplate(Layout::Square);
    EXPECT_EQ(portrait.id, 166);
    EXPECT_EQ(square.id, 204);
    EXPECT_EQ(portrait.caption, u"상세정보");
    EXPECT_EQ(square.caption, u"상세정보");
    EXPECT_EQ(portrait.fontPointSize, 10);
    EXPECT_EQ(square.fontPointSize, 9);
    EXPECT_EQ(DetailTemplateRect(Layout::Portrait), (DuRect{15, 20, 89, 105}));
    EXPECT_EQ(DetailTemplateRect(Layout::Square), (DuRect{15, 20, 90, 84}));
    ASSERT_EQ(portrait.items.size(), 1u);
    ASSERT_EQ(square.items.size(), 1u);
    EXPECT_EQ(portrait.items[0].id, DetailListId(Layout::Portrait));
    EXPECT_EQ(portrait.items[0].rect, (DuRect{1, 0, 86, 104}));
    EXPECT_EQ(square.items[0].id, 1072);
    EXPECT_EQ(square.items[0].rect, (DuRect{1, 0, 87, 83}));
}

// 480 x 800: 303 pixels inside, a 33-pixel header and 32-pixel rows hold 8 stops; 10 need
// 20 more, which the screen has; a long train takes what there is and scrolls.
TEST(DetailDialogGrowth, ShowsEveryStopWhereTheScreenHasRoom) {
    const StopListMeasure list{303, 33, 32};
    EXPECT_EQ(DetailDialogGrowth(list, 0, 400), 0);
    EXPECT_EQ(DetailDialogGrowth(list, 8, 400), 0);
    EXPECT_EQ(DetailDialogGrowth(list, 9, 400), 18);
    EXPECT_EQ(DetailDialogGrowth(list, 10, 400), 50);
    EXPECT_EQ(DetailDialogGrowth(list, 100, 400), 400);
    EXPECT_EQ(DetailDialogGrowth(list, 10, 0), 0);
    EXPECT_EQ(DetailDialogGrowth(list, 10, -5), 0);  // a dialog already taller than the screen
}

}  // namespace
}  // namespace velomar
