#include "screens/layout_rules.h"

#include <gtest/gtest.h>

#include <set>

#include "screens/dialog_template.h"
#include "screens/main_screen.h"

namespace velomar {
namespace {

TEST(DialogUnitsTest, BaseUnitsFollowTheScreenWidth) {
    EXPECT_EQ(DialogUnitsFor({240, 320}), (DialogUnits{8, 13, 4, 8}));
    EXPECT_EQ(DialogUnitsFor({320, 320}), (DialogUnits{8, 13, 4, 8}));
    EXPECT_EQ(DialogUnitsFor({479, 640}), (DialogUnits{8, 13, 4, 8}));
    EXPECT_EQ(DialogUnitsFor({480, 800}), (DialogUnits{16, 26, 4, 8}));
    EXPECT_EQ(DialogUnitsFor({480, 640}), (DialogUnits{16, 26, 4, 8}));
}

TEST(DialogUnitsTest, ConvertsEdgesAndRoundsToTheNearestPixel) {
    // The result list of the portrait form: 1, 67, 118, 96 units.
    EXPECT_EQ(ToPixels({1, 67, 118, 96}, DialogUnitsFor({240, 320})),
              (PixelRect{2, 109, 236, 156}));  // 67 * 13 / 8 = 108.875, 163 * 13 / 8 = 264.875
    EXPECT_EQ(ToPixels({1, 67, 118, 140}, DialogUnitsFor({480, 800})),
              (PixelRect{4, 218, 472, 455}));  // 207 * 26 / 8 = 672.75
}

TEST(DialogUnitsTest, PortraitTemplatesFillTheScreenWidth) {
    const DialogTemplate* portrait = FindDialogTemplate(kPortraitTemplate);
    ASSERT_NE(portrait, nullptr);
    for (ScreenSize screen : {ScreenSize{240, 320}, ScreenSize{480, 800}}) {
        const auto whole =
            ToPixels({0, 0, portrait->width, portrait->height}, DialogUnitsFor(screen));
        ASSERT_TRUE(whole);
        EXPECT_EQ(whole->width, screen.width);
        // The form fits between the two chrome strips.
        EXPECT_LE(whole->height, screen.height - 2 * ChromeStripHeight(screen));
    }
}

TEST(DialogUnitsTest, RejectsNegativeSizesAndOverflow) {
    EXPECT_FALSE(ToPixels({0, 0, -1, 10}, DialogUnitsFor({240, 320})));
    EXPECT_FALSE(ToPixels({0, 0, 10, -1}, DialogUnitsFor({240, 320})));
    EXPECT_FALSE(ToPixels({0, 0, 2'000'000'000, 1}, DialogUnitsFor({480, 800})));
}

// The square tiles must not run into their neighbours once placed at their items.
TEST(DialogUnitsTest, SquareTilesStayClearOfTheirNeighbours) {
    const ScreenSize screen{320, 320};
    const DialogTemplate* square = FindDialogTemplate(kSquareTemplate);
    ASSERT_NE(square, nullptr);
    const DialogUnits units = SquareDialogUnits(screen);
    auto left = [&](int id) { return ToPixels(square->item(id)->rect, units)->x; };
    auto tileEnd = [&](int id, int tile) { return left(id) + FindButtonTile(tile)->width; };
    EXPECT_LE(tileEnd(square_id::kSearch, 179), left(square_id::kNext));
    EXPECT_LE(tileEnd(square_id::kPrev, 178), left(square_id::kSearch));
    EXPECT_LE(tileEnd(square_id::kTypeLabel, 174), left(square_id::kTypeList));
    EXPECT_LE(tileEnd(square_id::kArrivalButton, 175), left(square_id::kArrivalField));
    EXPECT_LE(tileEnd(square_id::kNext, 177), screen.width);
    const auto list = ToPixels(square->item(square_id::kResultList)->rect, units);
    EXPECT_LE(list->x + list->width, screen.width);
    EXPECT_LE(list->y + list->height, screen.height);
}

TEST(ChromeTest, StripsAndFontsDoubleOnWideScreens) {
    EXPECT_EQ(ChromeStripHeight({240, 320}), 26);
    EXPECT_EQ(ChromeStripHeight({480, 800}), 52);
    EXPECT_EQ(FontPixelSize(10, {240, 320}), 13);
    EXPECT_EQ(FontPixelSize(10, {480, 800}), 27);
    EXPECT_EQ(FontPixelSize(9, {320, 320}), 12);
}

struct LayoutCase {
    ScreenSize screen;
    LayoutAction expected;
};

class LayoutChoiceTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutChoiceTest, ChoosesByWidthAndHeight) {
    bool shown = false;
    EXPECT_EQ(ChooseLayout(GetParam().screen, shown), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, LayoutChoiceTest,
    ::testing::Values(LayoutCase{{240, 400}, {LayoutActionKind::Relayout, kPortraitTallTemplate}},
                      LayoutCase{{240, 320}, {}}, LayoutCase{{240, 800}, {}},
                      LayoutCase{{320, 320}, {LayoutActionKind::SquareDialog, 0}},
                      LayoutCase{{320, 240}, {LayoutActionKind::SquareDialog, 0}},
                      LayoutCase{{480, 800}, {LayoutActionKind::Relayout, kPortraitWideTemplate}},
                      LayoutCase{{480, 640}, {LayoutActionKind::Relayout, kPortraitWideTemplate}},
                      LayoutCase{{640, 480}, {}}, LayoutCase{{400, 240}, {}}));

TEST(LayoutChoiceTest, SquareDialogOnlyOncePerRun) {
    bool shown = false;
    EXPECT_EQ(ChooseLayout({320, 320}, shown).kind, LayoutActionKind::SquareDialog);
    EXPECT_TRUE(shown);  // set before the dialog runs
    EXPECT_EQ(ChooseLayout({320, 320}, shown).kind, LayoutActionKind::Nothing);
}

// The flag belongs to the run, not to the process: each run (and each test) starts afresh.
TEST(LayoutChoiceTest, ProcessWideFlagIsOneVariable) {
    RunState run;
    EXPECT_FALSE(run.squareDialogShown);
    EXPECT_EQ(ChooseLayout({320, 320}, run.squareDialogShown).kind, LayoutActionKind::SquareDialog);
    EXPECT_TRUE(run.squareDialogShown);
    EXPECT_EQ(ChooseLayout({320, 320}, run.squareDialogShown).kind, LayoutActionKind::Nothing);
}

TEST(ChromeTest, TitleClockHasTwoDigitsEach) {
    EXPECT_EQ(TitleClockText({7, 5}), u"07:05");
    EXPECT_EQ(TitleClockText({0, 0}), u"00:00");
    EXPECT_EQ(TitleClockText({23, 59}), u"23:59");
}

TEST(ColumnWidthsTest, PortraitSetsByWidthWithFallbackForOtherWidths) {
    const ColumnWidths small{58, 55, 55, 65};
    const ColumnWidths wide{116, 111, 111, 130};
    EXPECT_EQ(PortraitColumnWidths({240, 320}), small);
    EXPECT_EQ(PortraitColumnWidths({320, 320}), small);
    EXPECT_EQ(PortraitColumnWidths({200, 300}), small);
    EXPECT_EQ(PortraitColumnWidths({480, 800}), wide);
    EXPECT_EQ(PortraitColumnWidths({640, 480}), wide);
    EXPECT_EQ(SquareColumnWidths(), (ColumnWidths{75, 70, 70, 82}));
}

struct TileCase {
    int id;
    int width;
    int height;
    std::u16string_view lettering;
};

class ButtonTileTest : public ::testing::TestWithParam<TileCase> {};

TEST_P(ButtonTileTest, SizeAndLettering) {
    const ButtonTile* tile = FindButtonTile(GetParam().id);
    ASSERT_NE(tile, nullptr) << GetParam().id;
    EXPECT_EQ(tile->width, GetParam().width);
    EXPECT_EQ(tile->height, GetParam().height);
    EXPECT_EQ(tile->lettering, GetParam().lettering);
}

INSTANTIATE_TEST_SUITE_P(
    ImagesTable, ButtonTileTest,
    ::testing::Values(TileCase{156, 69, 20, u"열차선택"}, TileCase{147, 135, 38, u"열차선택"},
                      TileCase{174, 87, 24, u"열차선택"}, TileCase{157, 69, 20, u"출발시간"},
                      TileCase{145, 135, 38, u"출발시간"}, TileCase{173, 87, 24, u"출발시간"},
                      TileCase{159, 50, 20, u"출발역"}, TileCase{149, 96, 38, u"출발역"},
                      TileCase{176, 65, 24, u"출발역"}, TileCase{158, 50, 20, u"도착역"},
                      TileCase{148, 96, 38, u"도착역"}, TileCase{175, 65, 24, u"도착역"},
                      TileCase{160, 33, 27, u"이전"}, TileCase{165, 33, 27, u"이전"},
                      TileCase{150, 65, 55, u"이전"}, TileCase{154, 65, 55, u"이전"},
                      TileCase{178, 42, 35, u"이전"}, TileCase{182, 42, 35, u"이전"},
                      TileCase{162, 162, 27, u"조회하기"}, TileCase{163, 162, 27, u"조회하기"},
                      TileCase{152, 319, 58, u"조회하기"}, TileCase{153, 319, 58, u"조회하기"},
                      TileCase{179, 206, 37, u"조회하기"}, TileCase{180, 206, 37, u"조회하기"},
                      TileCase{161, 33, 27, u"다음"}, TileCase{164, 33, 27, u"다음"},
                      TileCase{151, 65, 55, u"다음"}, TileCase{155, 65, 55, u"다음"},
                      TileCase{177, 42, 35, u"다음"}, TileCase{181, 42, 35, u"다음"}));

TEST(ButtonTileTest, UnknownIdsHaveNoTile) {
    EXPECT_EQ(FindButtonTile(144), nullptr);
    EXPECT_EQ(FindButtonTile(166), nullptr);
    EXPECT_EQ(FindButtonTile(172), nullptr);
    EXPECT_EQ(FindButtonTile(183), nullptr);
}

TEST(ButtonImagesTest, EverySetNamesExistingTilesOfItsLayout) {
    auto check = [](const ButtonImageSet& set, int templateId) {
        const DialogTemplate* dialog = FindDialogTemplate(templateId);
        std::set<int> ids;
        for (const ButtonImages& images : set) {
            EXPECT_NE(dialog->item(images.controlId), nullptr) << images.controlId;
            EXPECT_NE(FindButtonTile(images.normalTile), nullptr) << images.normalTile;
            EXPECT_NE(FindButtonTile(images.pressedTile), nullptr) << images.pressedTile;
            ids.insert(images.controlId);
        }
        EXPECT_EQ(ids.size(), set.size());
    };
    check(PortraitButtonImages({240, 320}), kPortraitTemplate);
    check(PortraitButtonImages({480, 800}), kPortraitTemplate);
    check(SquareButtonImages(), kSquareTemplate);
}

TEST(ButtonImagesTest, OtherWidthsUseTheNearestSet) {
    EXPECT_EQ(PortraitButtonImages({320, 320})[5].normalTile, 162);
    EXPECT_EQ(PortraitButtonImages({240, 400})[5].normalTile, 162);
    EXPECT_EQ(PortraitButtonImages({480, 640})[5].normalTile, 152);
    EXPECT_EQ(PortraitButtonImages({800, 600})[5].normalTile, 152);
}

TEST(DialogTemplateTest, KnownTemplatesAndListEntries) {
    for (int id : {100, 101, 189, 201, 202}) {
        EXPECT_NE(FindDialogTemplate(id), nullptr) << id;
    }
    EXPECT_EQ(FindDialogTemplate(102), nullptr);
    EXPECT_EQ(TrainTypeEntries().front(), u"전체 (ABCD:금토일월)");
    EXPECT_EQ(TrainTypeEntries().size(), 6u);
    ASSERT_EQ(HourEntries().size(), 24u);
    EXPECT_EQ(HourEntries()[7], u"07");
    EXPECT_EQ(HourEntries()[23], u"23");
    ASSERT_EQ(MinuteEntries().size(), 6u);
    EXPECT_EQ(MinuteEntries()[5], u"50");
}

// Relayout templates differ from the portrait one only in the result list (and "분").
TEST(DialogTemplateTest, RelayoutTemplatesKeepPortraitRectanglesExceptTheList) {
    const DialogTemplate* portrait = FindDialogTemplate(kPortraitTemplate);
    for (int id : {kPortraitTallTemplate, kPortraitWideTemplate}) {
        const DialogTemplate* relayout = FindDialogTemplate(id);
        for (const DialogItem& item : relayout->items) {
            const DialogItem* original = portrait->item(item.id);
            ASSERT_NE(original, nullptr) << item.id;
            EXPECT_EQ(item.itemClass, original->itemClass);
            if (item.id == portrait_id::kResultList ||
                (id == kPortraitWideTemplate && item.id == portrait_id::kMinuteUnit)) {
                continue;
            }
            EXPECT_EQ(item.rect, original->rect) << id << " item " << item.id;
        }
    }
    EXPECT_EQ(FindDialogTemplate(kPortraitTallTemplate)->item(portrait_id::kResultList)->rect,
              (DuRect{1, 67, 118, 141}));
    EXPECT_EQ(FindDialogTemplate(kPortraitWideTemplate)->item(portrait_id::kResultList)->rect,
              (DuRect{1, 67, 118, 140}));
    EXPECT_EQ(FindDialogTemplate(kPortraitWideTemplate)->item(portrait_id::kMinuteUnit)->rect.x,
              109);
}

}  // namespace
}  // namespace velomar
