#include <gtest/gtest.h>

#include <vector>

#include "timetable/route_selection.h"
#include "timetable/timetable_grid.h"

namespace velomar {
namespace {

std::uint32_t maskOf(std::initializer_list<int> routes) {
    std::uint32_t mask = 0;
    for (int r : routes) {
        mask |= std::uint32_t{1} << r;
    }
    return mask;
}

struct PairCase {
    const char* label;
    std::u16string_view departure;
    std::u16string_view arrival;
    std::uint32_t up;
    std::uint32_t down;
};

class SelectRoutesTable : public testing::TestWithParam<PairCase> {};

TEST_P(SelectRoutesTable, GivesTheMasks) {
    const auto& c = GetParam();
    const RouteMasks masks = SelectRoutes(c.departure, c.arrival);
    EXPECT_EQ(masks.upMask, c.up);
    EXPECT_EQ(masks.downMask, c.down);
}

INSTANTIATE_TEST_SUITE_P(
    Network, SelectRoutesTable,
    testing::Values(
        PairCase{"seoul_busan", u"서울", u"부산", 0, maskOf({0, 16})},
        PairCase{"busan_seoul", u"부산", u"서울", maskOf({0, 16}), 0},
        PairCase{"seoul_daejeon", u"서울", u"대전", 0, maskOf({0, 16, 18, 19, 20, 21})},
        PairCase{"seoul_pohang", u"서울", u"포항", 0, maskOf({19, 21})},
        PairCase{"suncheon_yeosu", u"순천", u"여수", 0, maskOf({2, 27})},
        PairCase{"yongsan_mokpo", u"용산", u"목포", 0, maskOf({1, 17})},
        PairCase{"gangneung_donghae", u"강릉", u"동해", maskOf({31}), maskOf({25, 29, 30})},
        PairCase{"donghae_gangneung", u"동해", u"강릉", maskOf({25, 29, 30}), maskOf({31})},
        PairCase{"seoul_seoul", u"서울", u"서울", maskOf({0, 16, 18, 19, 20, 21, 22, 28}),
                 maskOf({0, 16, 18, 19, 20, 21, 22, 28})},
        PairCase{"empty_departure", u"", u"부산", 0, 0},
        PairCase{"empty_arrival", u"서울", u"", 0, 0},
        PairCase{"directory_station_on_no_route", u"가야", u"서울", 0, 0},
        PairCase{"codes_are_not_names", u"0001", u"0020", 0, 0},
        PairCase{"route_header_is_not_a_station", u"경부선", u"부산", 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LocateStationRows, LastMatchingRowWinsAndMissingStaysMissing) {
    TimetableGrid grid;
    grid.setCell(5, 0, u"0051");
    grid.setCell(9, 0, u"0051");
    grid.setCell(12, 0, u"0053");
    auto rows = LocateStationRows(grid, u"0051", u"0053");
    EXPECT_EQ(rows.departure, 9);
    EXPECT_EQ(rows.arrival, 12);

    rows = LocateStationRows(grid, u"0051", u"0001");
    EXPECT_EQ(rows.departure, 9);
    EXPECT_FALSE(rows.arrival.has_value());

    rows = LocateStationRows(grid, u"0053", u"0053");
    EXPECT_EQ(rows.departure, 12);
    EXPECT_EQ(rows.arrival, 12);
}

TEST(LocateStationRows, RowsZeroAndOneAreSearchedToo) {
    TimetableGrid grid;
    grid.setCell(0, 0, u"0001");
    EXPECT_EQ(LocateStationRows(grid, u"0001", u"0002").departure, 0);
    // An empty grid holds "9999" in column 0 of every row.
    EXPECT_EQ(LocateStationRows(TimetableGrid(), u"9999", u"0001").departure, 69);
}

}  // namespace
}  // namespace velomar
