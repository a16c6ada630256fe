#include "screens/station_picker.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velomar {
namespace {

constexpr int kGa = 0, kRa = 3, kBa = 5, kSa = 6, kA = 7, kKa = 10;

// Rows of `name` in group `group`, in list order.
std::vector<int> rowsOf(int group, std::u16string_view name) {
    std::vector<int> rows;
    for (int r = 0; r < GroupSize(group); ++r) {
        if (GroupEntry(group, r).name == name) {
            rows.push_back(r);
        }
    }
    return rows;
}

int rowOf(int group, std::u16string_view name) {
    const auto rows = rowsOf(group, name);
    return rows.empty() ? -1 : rows.front();
}

using Pick = std::pair<int, int>;  // group, row

// A user who makes these picks and then closes the picker with "선택" or "취 소".
PickerRunner scriptedUser(std::vector<Pick> picks, bool accept,
                          std::vector<bool>* servedEnds = nullptr) {
    return [picks = std::move(picks), accept, servedEnds](bool departure) {
        if (servedEnds != nullptr) {
            servedEnds->push_back(departure);
        }
        StationPicker picker;
        picker.SetStart(departure);
        for (const auto& [group, row] : picks) {
            picker.selectionChanged(group, row);
        }
        return PickerOutcome{accept, picker.GetStation()};
    };
}

TEST(StationPicker, OpensShowingEachGroupsFirstNameWithoutResult) {
    StationPicker picker;
    picker.SetStart(true);
    const std::u16string_view firstNames[] = {u"가야", u"나전", u"단성", u"없음", u"마산",
                                              u"반성", u"사릉", u"아산", u"장락", u"창원",
                                              u"없음", u"탑리", u"판교", u"하동"};
    for (int g = 0; g < kGroupCount; ++g) {
        EXPECT_EQ(picker.shownRow(g), 0) << g;
        EXPECT_EQ(picker.shownName(g), firstNames[g]) << g;
    }
    EXPECT_TRUE(picker.GetStation().name.empty());
    EXPECT_TRUE(picker.GetStation().code.empty());
}

TEST(StationPicker, LastPickWinsAndEarlierListsKeepShowingTheirPick) {
    StationPicker picker;
    picker.SetStart(true);
    ASSERT_TRUE(picker.selectionChanged(kBa, rowOf(kBa, u"부산")));
    ASSERT_TRUE(picker.selectionChanged(kSa, rowOf(kSa, u"서울")));
    EXPECT_EQ(picker.GetStation().name, u"서울");
    EXPECT_EQ(picker.GetStation().code, u"0001");
    EXPECT_EQ(picker.shownName(kBa), u"부산");
}

TEST(StationPicker, BothBaengmaRowsGiveTheSameStation) {
    const auto rows = rowsOf(kBa, u"백마");
    ASSERT_EQ(rows.size(), 2u);
    for (int row : rows) {
        StationPicker picker;
        picker.SetStart(false);
        ASSERT_TRUE(picker.selectionChanged(kBa, row));
        EXPECT_EQ(picker.GetStation().name, u"백마");
        EXPECT_EQ(picker.GetStation().code, u"0394");
    }
}

TEST(StationPicker, NeighbouringNamesKeepTheirOwnCodes) {
    StationPicker picker;
    picker.SetStart(true);
    picker.selectionChanged(kA, rowOf(kA, u"아산"));
    EXPECT_EQ(picker.GetStation().code, u"0503");
    picker.selectionChanged(kA, rowOf(kA, u"아우라지"));
    EXPECT_EQ(picker.GetStation().name, u"아우라지");
    EXPECT_EQ(picker.GetStation().code, u"0202");
}

TEST(StationPicker, FillerGroupsAreDisabledAndProduceNothing) {
    EXPECT_FALSE(PickerGroupEnabled(kRa));
    EXPECT_FALSE(PickerGroupEnabled(kKa));
    int enabled = 0;
    for (int g = 0; g < kGroupCount; ++g) {
        enabled += PickerGroupEnabled(g) ? 1 : 0;
    }
    EXPECT_EQ(enabled, 12);

    StationPicker picker;
    picker.SetStart(true);
    EXPECT_FALSE(picker.selectionChanged(kRa, 0));
    EXPECT_FALSE(picker.selectionChanged(kKa, 0));
    EXPECT_TRUE(picker.GetStation().name.empty());
    EXPECT_EQ(picker.shownName(kRa), u"없음");
}

TEST(StationPicker, RowsOutsideTheGroupAreIgnored) {
    StationPicker picker;
    picker.SetStart(true);
    picker.selectionChanged(kGa, 1);
    const StationEntry before = picker.GetStation();
    EXPECT_FALSE(picker.selectionChanged(kGa, -1));
    EXPECT_FALSE(picker.selectionChanged(kGa, GroupSize(kGa)));
    EXPECT_FALSE(picker.selectionChanged(-1, 0));
    EXPECT_FALSE(picker.selectionChanged(kGroupCount, 0));
    EXPECT_EQ(picker.GetStation().name, before.name);
    EXPECT_EQ(picker.shownRow(kGa), 1);
}

TEST(StationPicker, OnlyTheServedEndsResultIsWritten) {
    StationPicker picker;
    picker.SetStart(false);
    picker.selectionChanged(kSa, rowOf(kSa, u"서울"));
    EXPECT_EQ(picker.GetStation().name, u"서울");
    picker.SetStart(true);
    EXPECT_TRUE(picker.GetStation().name.empty());
}

TEST(PickerLayout, PortraitIdsRunInGroupOrder) {
    for (int g = 0; g < kGroupCount; ++g) {
        EXPECT_EQ(PickerListId(Layout::Portrait, g), 1010 + g);
        EXPECT_EQ(PickerGroupOfListId(Layout::Portrait, 1010 + g), g);
    }
}

TEST(PickerLayout, SquareIdsRunDownEachColumn) {
    // Left column 가 다 마 사 자 카 파, right column 나 라 바 아 차 타 하.
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(PickerListId(Layout::Square, 2 * i), 1073 + i);
        EXPECT_EQ(PickerListId(Layout::Square, 2 * i + 1), 1080 + i);
        EXPECT_EQ(PickerGroupOfListId(Layout::Square, 1080 + i), 2 * i + 1);
    }
    EXPECT_EQ(PickerGroupOfListId(Layout::Square, 1010), -1);
}

// Open, a list is its drop height high, its closed line included: what drops below is the
// rest. Vertical units of 13 / 8 on small screens, 26 / 8 on 480-wide ones; halves round up.
TEST(PickerLayout, DroppedListIsTheDropHeightLessTheClosedLine) {
    const DialogUnits small = DialogUnitsFor({240, 320});
    EXPECT_EQ(PickerDroppedListHeight(Layout::Portrait, 0, small), 226 - 20);  // 139 units
    EXPECT_EQ(PickerDroppedListHeight(Layout::Portrait, 13, small), 96 - 20);  // 59 units
    EXPECT_EQ(PickerDroppedListHeight(Layout::Portrait, 0, DialogUnitsFor({480, 800})), 452 - 39);
    EXPECT_EQ(PickerDroppedListHeight(Layout::Square, 2, SquareDialogUnits({320, 320})),
              125 - 20);  // 77 units
    EXPECT_EQ(PickerDroppedListHeight(Layout::Portrait, -1, small), 0);
    EXPECT_EQ(PickerDroppedListHeight(Layout::Square, kGroupCount, small), 0);
}

// The dialog itself: template, size, caption and font of each layout.
TEST(PickerLayout, TemplateOfEachLayout) {
    for (const Layout layout : {Layout::Portrait, Layout::Square}) {
        const DialogTemplate& dialog = PickerTemplate(layout);
        EXPECT_EQ(dialog.id, PickerTemplateId(layout));
        EXPECT_EQ(dialog.width, kPickerWidthDu);
        EXPECT_EQ(dialog.height, kPickerHeightDu);
        EXPECT_EQ(dialog.caption, kPickerCaption);
        EXPECT_EQ(dialog.fontPointSize, PickerFontPoints(layout));
        EXPECT_TRUE(dialog.items.empty());
    }
    EXPECT_EQ(PickerTemplateId(Layout::Portrait), 141);
    EXPECT_EQ(PickerTemplateId(Layout::Square), 203);
}

TEST(PickerLayout, DropHeightsDifferWhereTheLayoutsDiffer) {
    EXPECT_EQ(PickerDropHeight(Layout::Portrait, 0), 139);
    EXPECT_EQ(PickerDropHeight(Layout::Square, 0), 90);
    EXPECT_EQ(PickerDropHeight(Layout::Square, 2), 77);
    EXPECT_EQ(PickerDropHeight(Layout::Square, kRa), 146);
    EXPECT_EQ(PickerDropHeight(Layout::Portrait, 13), 59);
    EXPECT_EQ(PickerLists()[7].list, (DuRect{75, 69, 41, 0}));
    EXPECT_EQ(PickerLists()[7].labelY, 71);
}

struct EndLabelCase {
    Layout layout;
    int width;
    bool departure;
    PickerEndLabel expected;
};

class PickerEndLabelTest : public testing::TestWithParam<EndLabelCase> {};

TEST_P(PickerEndLabelTest, ChosenByLayoutAndWidth) {
    const EndLabelCase& c = GetParam();
    EXPECT_EQ(PickerEndLabelFor(c.layout, c.width, c.departure), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PickerEndLabelTest,
    testing::Values(EndLabelCase{Layout::Portrait, 240, true, {159, 50, 20, 10, 10}},
                    EndLabelCase{Layout::Portrait, 240, false, {158, 50, 20, 10, 10}},
                    EndLabelCase{Layout::Portrait, 320, true, {176, 65, 24, 30, 10}},
                    EndLabelCase{Layout::Portrait, 320, false, {175, 65, 24, 30, 10}},
                    EndLabelCase{Layout::Portrait, 480, true, {149, 96, 38, 30, 10}},
                    EndLabelCase{Layout::Portrait, 480, false, {148, 96, 38, 30, 10}},
                    // Other widths take the variant of the next smaller known width.
                    EndLabelCase{Layout::Portrait, 200, true, {159, 50, 20, 10, 10}},
                    EndLabelCase{Layout::Portrait, 319, true, {159, 50, 20, 10, 10}},
                    EndLabelCase{Layout::Portrait, 400, false, {175, 65, 24, 30, 10}},
                    EndLabelCase{Layout::Portrait, 479, true, {176, 65, 24, 30, 10}},
                    EndLabelCase{Layout::Portrait, 800, true, {149, 96, 38, 30, 10}},
                    EndLabelCase{Layout::Square, 240, true, {176, 65, 24, 30, 10}},
                    EndLabelCase{Layout::Square, 480, false, {175, 65, 24, 30, 10}}));

TEST(OpeningSequence, OkWithoutPickKeepsTheText) {
    std::u16string departure = u"대전", arrival = u"부산";
    EXPECT_FALSE(RunStationPicker(departure, arrival, true, scriptedUser({}, true)));
    EXPECT_EQ(departure, u"대전");
    EXPECT_EQ(arrival, u"부산");
}

TEST(OpeningSequence, CancelAfterPickKeepsTheText) {
    std::u16string departure = u"대전", arrival = u"부산";
    EXPECT_FALSE(RunStationPicker(departure, arrival, true,
                                  scriptedUser({{kSa, rowOf(kSa, u"서울")}}, false)));
    EXPECT_EQ(departure, u"대전");
}

TEST(OpeningSequence, LastPickReplacesTheDepartureText) {
    std::u16string departure = u"대전", arrival = u"부산";
    std::vector<bool> served;
    EXPECT_TRUE(RunStationPicker(
        departure, arrival, true,
        scriptedUser({{kBa, rowOf(kBa, u"부산")}, {kSa, rowOf(kSa, u"서울")}}, true, &served)));
    EXPECT_EQ(departure, u"서울");
    EXPECT_EQ(arrival, u"부산");
    EXPECT_EQ(served, std::vector<bool>{true});
}

TEST(OpeningSequence, ArrivalPickReplacesOnlyTheArrivalButConvertsBoth) {
    std::u16string departure = u"0001", arrival = u"0010";
    std::vector<bool> served;
    EXPECT_TRUE(RunStationPicker(departure, arrival, false,
                                 scriptedUser({{kA, rowOf(kA, u"아산")}}, true, &served)));
    EXPECT_EQ(departure, u"서울");
    EXPECT_EQ(arrival, u"아산");
    EXPECT_EQ(served, std::vector<bool>{false});
}

TEST(OpeningSequence, NonCodeTextsPassUnchanged) {
    std::u16string departure = u"typed text", arrival = u"";
    RunStationPicker(departure, arrival, true, scriptedUser({}, false));
    EXPECT_EQ(departure, u"typed text");
    EXPECT_EQ(arrival, u"");
}

TEST(OpeningSequence, MissingRunnerChangesNothingButTheCodes) {
    std::u16string departure = u"0001", arrival = u"대전";
    EXPECT_FALSE(RunStationPicker(departure, arrival, true, PickerRunner{}));
    EXPECT_EQ(departure, u"서울");
}

// How the user leaves the picker: pick + "선택", pick + "취 소", "선택" at once.
class HeldCodeTest : public testing::TestWithParam<std::pair<bool, bool>> {};

TEST_P(HeldCodeTest, HeldCodeComesBackAsNameWhateverHappens) {
    const auto [picks, accept] = GetParam();
    struct Screen {
        std::u16string start = u"0001";
        std::u16string end = u"대전";
        std::u16string departureField = u"typed";
        std::u16string arrivalField = u"typed too";
        std::u16string& startStation() { return start; }
        std::u16string& endStation() { return end; }
        void WriteForm() {
            departureField = start;
            arrivalField = end;
        }
    } screen;
    std::vector<Pick> script;
    if (picks) {
        script.push_back({kA, rowOf(kA, u"아산")});
    }
    OpenStationPickerFrom(screen, false, scriptedUser(script, accept));
    EXPECT_EQ(screen.departureField, u"서울");
    EXPECT_EQ(screen.arrivalField, picks && accept ? u"아산" : u"대전");
}

INSTANTIATE_TEST_SUITE_P(Endings, HeldCodeTest,
                         testing::Values(std::pair{true, true}, std::pair{true, false},
                                         std::pair{false, true}));

}  // namespace
}  // namespace velomar
