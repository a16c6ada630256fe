#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "network/route_table.h"

namespace velomar {
namespace {

struct RouteFacts {
    unsigned id;
    std::u16string_view name;
    std::size_t stations;
    std::u16string_view first;
    std::u16string_view last;
};

// The route overview: id, name, station count and end stations of routes 0 to 31.
const RouteFacts kRoutes[kRouteCount] = {
    {100, u"경부선", 44, u"서울", u"부산"},         {101, u"호남선", 38, u"용산", u"목포"},
    {102, u"전라선", 40, u"용산", u"여수"},         {103, u"장항선", 29, u"용산", u"서대전"},
    {104, u"경전선", 34, u"부전", u"순천"},         {105, u"대구선", 8, u"동대구", u"포항"},
    {106, u"경의선", 4, u"문산", u"도라산"},        {107, u"경원선", 9, u"동두천", u"신탄리"},
    {108, u"영동선", 15, u"동해", u"영주"},         {109, u"태백선", 11, u"제천", u"아우라지"},
    {110, u"동해남부선", 24, u"동대구", u"부전"},   {111, u"중앙선", 24, u"청량리", u"안동"},
    {112, u"충북선", 16, u"대전", u"제천"},         {113, u"경춘선", 17, u"청량리", u"남춘천"},
    {114, u"경북선", 26, u"영주", u"부산"},         {115, u"진해선", 9, u"대구", u"진해"},
    {116, u"KTXKB", 11, u"행신", u"부산"},          {117, u"KTXHN", 15, u"행신", u"목포"},
    {120, u"경부경전", 64, u"서울", u"순천"},       {121, u"경부동해남부", 57, u"서울", u"부전"},
    {122, u"경부동해남부", 45, u"서울", u"해운대"}, {123, u"경부대구", 40, u"서울", u"포항"},
    {124, u"경부충북", 24, u"서울", u"제천"},       {125, u"호남상하행", 13, u"광주", u"목포"},
    {126, u"경전호남", 58, u"부전", u"목포"},       {127, u"영동경북", 46, u"강릉", u"부산"},
    {128, u"중앙동해남부", 54, u"청량리", u"부전"}, {129, u"호남경전전라", 35, u"용산", u"여수"},
    {130, u"누리로", 13, u"서울", u"신창"},         {131, u"영동중앙", 26, u"강릉", u"북영천"},
    {132, u"영동중앙동해남", 26, u"강릉", u"부전"}, {133, u"중앙태백", 31, u"청량리", u"강릉"},
};

// Records of one route, header first.
std::vector<RouteRecord> recordsOf(unsigned route) {
    std::vector<RouteRecord> records;
    for (const RouteRecord& r : RouteTable()) {
        if (r.route == route) {
            records.push_back(r);
        }
    }
    return records;
}

TEST(RouteTable, HeadersAndRoutesInOrder) {
    const auto table = RouteTable();
    ASSERT_EQ(table.size(), kRouteRecordCount);
    std::vector<unsigned> headerIds;
    unsigned expectedRoute = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const RouteRecord& r = table[i];
        if (!IsStationRecord(r)) {
            ASSERT_EQ(r.route, headerIds.size()) << "record " << i;
            EXPECT_EQ(r.code, u"0000");
            headerIds.push_back(r.position);
            expectedRoute = r.route;
        } else {
            ASSERT_FALSE(headerIds.empty()) << "a station before the first header";
            EXPECT_EQ(r.route, expectedRoute) << "record " << i;
        }
    }
    ASSERT_EQ(headerIds.size(), 32u);
    for (int k = 0; k < kRouteCount; ++k) {
        EXPECT_EQ(headerIds[k], kRoutes[k].id) << "route " << k;
    }
}

TEST(RouteTable, EachRouteHasItsStationsAndEnds) {
    std::size_t stations = 0;
    for (unsigned k = 0; k < kRouteCount; ++k) {
        const auto records = recordsOf(k);
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.front().name, kRoutes[k].name) << "route " << k;
        EXPECT_EQ(records.size() - 1, kRoutes[k].stations) << "route " << k;
        EXPECT_EQ(records[1].name, kRoutes[k].first) << "route " << k;
        EXPECT_EQ(records.back().name, kRoutes[k].last) << "route " << k;
        stations += records.size() - 1;
    }
    EXPECT_EQ(stations, 906u);
}

TEST(RouteTable, NamesAndCodesCorrespondOneToOne) {
    std::map<std::u16string_view, std::u16string_view> codeOfName;
    std::map<std::u16string_view, std::u16string_view> nameOfCode;
    for (const RouteRecord& r : RouteTable()) {
        if (!IsStationRecord(r)) {
            continue;
        }
        EXPECT_EQ(codeOfName.emplace(r.name, r.code).first->second, r.code) << "name clash";
        EXPECT_EQ(nameOfCode.emplace(r.code, r.name).first->second, r.name) << "code clash";
    }
    EXPECT_EQ(codeOfName.size(), 298u);
    EXPECT_EQ(nameOfCode.size(), 298u);
}

std::vector<unsigned> positionsOf(unsigned route) {
    std::vector<unsigned> positions;
    for (const RouteRecord& r : recordsOf(route)) {
        if (IsStationRecord(r)) {
            positions.push_back(r.position);
        }
    }
    return positions;
}

TEST(RouteTable, PositionGaps) {
    std::vector<unsigned> route10;
    for (unsigned p = 0; p <= 24; ++p) {
        if (p != 8) {
            route10.push_back(p);
        }
    }
    EXPECT_EQ(positionsOf(10), route10);

    std::vector<unsigned> route31;
    for (unsigned p = 1; p <= 38; ++p) {
        if (p != 21 && !(p >= 23 && p <= 27) && p != 31) {
            route31.push_back(p);
        }
    }
    EXPECT_EQ(positionsOf(31), route31);

    for (unsigned k = 0; k < kRouteCount; ++k) {
        if (k == 10 || k == 31) {
            continue;
        }
        const auto positions = positionsOf(k);
        for (std::size_t i = 0; i < positions.size(); ++i) {
            EXPECT_EQ(positions[i], i) << "route " << k;
        }
    }
}

TEST(RouteTable, Route27ListsSuncheonTwiceInARow) {
    const auto records = recordsOf(27);
    int adjacentRepeats = 0;
    for (std::size_t i = 2; i < records.size(); ++i) {
        if (records[i].name == records[i - 1].name) {
            ++adjacentRepeats;
            EXPECT_EQ(records[i].name, u"순천");
            EXPECT_EQ(records[i].position, 30u);
        }
    }
    EXPECT_EQ(adjacentRepeats, 1);
}

struct ConversionCase {
    const char* label;
    std::u16string_view input;
    bool toCode;
    std::u16string_view expected;
};

class StationConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(StationConversion, Converts) {
    const auto& c = GetParam();
    EXPECT_EQ(c.toCode ? StationNameToCode(c.input) : StationCodeToName(c.input), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StationConversion,
    testing::Values(ConversionCase{"seoul_on_eight_routes", u"서울", true, u"0001"},
                    ConversionCase{"suncheon", u"0051", false, u"순천"},
                    ConversionCase{"no_time_is_no_code", u"9999", false, u"9999"},
                    ConversionCase{"first_header", u"0000", false, u"경부선"},
                    ConversionCase{"header_name", u"경부선", true, u"0000"},
                    ConversionCase{"code_through_name_to_code", u"0001", true, u"0001"},
                    ConversionCase{"name_through_code_to_name", u"서울", false, u"서울"},
                    ConversionCase{"empty_to_code", u"", true, u""},
                    ConversionCase{"empty_to_name", u"", false, u""},
                    ConversionCase{"directory_only_station", u"가야", true, u"가야"},
                    ConversionCase{"prefix_is_not_a_match", u"서", true, u"서"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(StationConversion, InPlaceOverAPair) {
    std::u16string departure = u"서울";
    std::u16string arrival = u"부산";
    StationNameToCode(departure, arrival);
    EXPECT_EQ(departure, u"0001");
    EXPECT_EQ(arrival, u"0020");
    StationNameToCode(departure, arrival);  // codes stay codes
    EXPECT_EQ(departure, u"0001");
    StationCodeToName(departure, arrival);
    EXPECT_EQ(departure, u"서울");
    EXPECT_EQ(arrival, u"부산");

    std::u16string same1 = u"대전";
    std::u16string same2 = u"대전";
    StationNameToCode(same1, same2);
    EXPECT_EQ(same1, u"0010");
    EXPECT_EQ(same2, u"0010");

    std::u16string unknown = u"Seoul";
    std::u16string header = u"0000";
    StationCodeToName(unknown, header);
    EXPECT_EQ(unknown, u"Seoul");
    EXPECT_EQ(header, u"경부선");
}

}  // namespace
}  // namespace velomar
