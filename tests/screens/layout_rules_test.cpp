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

TEST(ColumnWidthsTest, PortraitSetsByWidthSpreadOnOtherWidths) {
    const ColumnWidths small{58, 55, 55, 65};
    const ColumnWidths wide{116, 111, 111, 130};
    EXPECT_EQ(PortraitColumnWidths({240, 320}), small);
    EXPECT_EQ(PortraitColumnWidths({240, 400}), small);
    EXPECT_EQ(PortraitColumnWidths({480, 800}), wide);
    EXPECT_EQ(SquareColumnWidths(), (ColumnWidths{75, 70, 70, 82}));
    // Other widths widen (or narrow) the set below them with the spread form.
    EXPECT_EQ(PortraitColumnWidths({320, 320}), (ColumnWidths{77, 73, 73, 86}));
    EXPECT_EQ(PortraitColumnWidths({200, 300}), (ColumnWidths{48, 45, 45, 54}));
    EXPECT_EQ(PortraitColumnWidths({640, 480}), (ColumnWidths{154, 148, 148, 173}));
}

// Whatever the width, the four columns fit inside the spread result list (its border is one
// pixel each side), so no horizontal scroll bar is needed.
TEST(ColumnWidthsTest, ColumnsFitTheSpreadResultList) {
    const DuRect listItem =
        FindDialogTemplate(kPortraitTemplate)->item(portrait_id::kResultList)->rect;
    for (const int width : {200, 240, 300, 320, 400, 480, 640, 800}) {
        SCOPED_TRACE(width);
        const ScreenSize screen{width, 640};
        const auto list = ToPixels(listItem, PortraitFormUnits(screen));
        ASSERT_TRUE(list);
        int sum = 0;
        for (const int column : PortraitColumnWidths(screen)) {
            sum += column;
        }
        EXPECT_LE(sum, list->width - 2);
        EXPECT_LE(list->x + list->width, width);
    }
}

TEST(PortraitFormUnitsTest, TemplateWidthsKeepTheirUnitsOthersSpread) {
    EXPECT_EQ(PortraitFormUnits({240, 320}), DialogUnitsFor({240, 320}));
    EXPECT_EQ(PortraitFormUnits({240, 400}), DialogUnitsFor({240, 400}));
    EXPECT_EQ(PortraitFormUnits({480, 800}), DialogUnitsFor({480, 800}));
    EXPECT_EQ(PortraitFormUnits({320, 320}), (DialogUnits{320, 13, 120, 8}));
    EXPECT_EQ(PortraitFormUnits({640, 480}), (DialogUnits{640, 26, 120, 8}));
    // The 320-wide form ends at the screen's right edge, as the 240 one does on its screen.
    const auto whole = ToPixels({0, 0, 120, 164}, PortraitFormUnits({320, 320}));
    EXPECT_EQ(whole->width, 320);
}

struct RowFitCase {
    int inner;
    int naturalHeader;
    int naturalRow;
    int rows;
    ResultListRows expected;
};

class ResultRowsTest : public ::testing::TestWithParam<RowFitCase> {};

TEST_P(ResultRowsTest, FullPageFitsWithoutScrolling) {
    const RowFitCase& c = GetParam();
    const ResultListRows fit = FitResultRows(c.inner, c.naturalHeader, c.naturalRow, c.rows);
    EXPECT_EQ(fit, c.expected);
    if (c.inner > c.rows) {
        EXPECT_LE(fit.headerHeight + c.rows * fit.rowHeight, c.inner);
    }
    EXPECT_LE(fit.rowHeight, c.naturalRow);
    EXPECT_LE(fit.headerHeight, c.naturalHeader);
}

INSTANTIATE_TEST_SUITE_P(Lists, ResultRowsTest,
                         ::testing::Values(
                             // Room to spare: the font's own heights.
                             RowFitCase{400, 21, 17, 14, {21, 17}},
                             RowFitCase{259, 21, 17, 14, {21, 17}},
                             // 240 x 320, nine rows in 154 pixels: rows of 15, the header 19.
                             RowFitCase{154, 21, 17, 9, {19, 15}},
                             // 240 x 400, fourteen rows in 227 pixels.
                             RowFitCase{227, 21, 17, 14, {17, 15}},
                             // 480 x 800, fourteen rows in 453 pixels.
                             RowFitCase{453, 38, 33, 14, {33, 30}},
                             // Rows that fit, a header that does not: only the header gives way.
                             RowFitCase{154, 40, 14, 9, {28, 14}},
                             // A list lower than a pixel per row still gets rows of a pixel.
                             RowFitCase{5, 21, 17, 9, {1, 1}}));

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
