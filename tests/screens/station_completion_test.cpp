#include "screens/station_completion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <cstdlib>
#include <filesystem>

#include "network/station_matcher.h"
#include "platform/utf8.h"
#include "support/timetable_world.h"
#include "timetable/file_reader.h"

namespace velomar {
namespace {

std::string Shown(const std::vector<std::u16string>& names) {
    std::string text;
    for (const std::u16string& name : names) {
        text += ToUtf8(name) + " ";
    }
    return text;
}

bool Has(const std::vector<std::u16string>& names, std::u16string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

struct OfferCase {
    std::u16string_view typed;
    std::u16string_view first;                   // empty: nothing is offered
    std::vector<std::u16string_view> alsoThere;  // further rows, anywhere in the list
};

void PrintTo(const OfferCase& c, std::ostream* out) {
    *out << '"' << ToUtf8(c.typed) << '"';
}

class OfferedTest : public testing::TestWithParam<OfferCase> {};

TEST_P(OfferedTest, FirstRowAndOthers) {
    const OfferCase& c = GetParam();
    const std::vector<std::u16string> names = StationCompletions(c.typed);
    if (c.first.empty()) {
        EXPECT_TRUE(names.empty()) << Shown(names);
        return;
    }
    ASSERT_FALSE(names.empty()) << ToUtf8(c.typed);
    EXPECT_EQ(names.front(), c.first) << Shown(names);
    for (std::u16string_view name : c.alsoThere) {
        EXPECT_TRUE(Has(names, name)) << ToUtf8(name) << " missing from " << Shown(names);
    }
    EXPECT_LE(names.size(), kCompletionRows);
}

INSTANTIATE_TEST_SUITE_P(Table, OfferedTest,
                         testing::Values(
                             // Initials, alone and mixed with syllables.
                             OfferCase{u"ㄷㄷㄱ", u"동대구", {}},
                             OfferCase{u"ㅅㅇ", u"수원", {u"서울", u"쌍용"}},
                             OfferCase{u"동ㄷ", u"동대구", {}},
                             // A beginning, also with its last syllable still being composed (서우
                             // on the way to 서울).
                             OfferCase{u"동대", u"동대구", {}}, OfferCase{u"서우", u"서울", {}},
                             // A whole name that other stations resemble keeps them under it.
                             OfferCase{u"대전", u"대전", {u"서대전"}},
                             // A typo still finds the station.
                             OfferCase{u"서을", u"서울", {}},
                             // Nothing to offer: no text, only spaces, nothing alike.
                             OfferCase{u"", u"", {}}, OfferCase{u"   ", u"", {}},
                             OfferCase{u"xyz", u"", {}}, OfferCase{u"ㅋㅋㅋㅋㅋ", u"", {}}));

TEST(StationCompletionsTest, TheMatchersOrderCutToTheRows) {
    for (std::u16string_view typed : {u"ㅅ", u"ㅅㅇ", u"서", u"대"}) {
        const std::vector<StationMatch> matches = MatchStations(typed, kCompletionRows);
        const std::vector<std::u16string> names = StationCompletions(typed);
        ASSERT_EQ(names.size(), matches.size()) << ToUtf8(typed);
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(names[i], matches[i].station.name) << ToUtf8(typed) << " row " << i;
        }
    }
    // ㅅ starts far more names than a list shows.
    EXPECT_EQ(StationCompletions(u"ㅅ").size(), kCompletionRows);
    EXPECT_EQ(StationCompletions(u"ㅅ", 3).size(), 3u);
    EXPECT_TRUE(StationCompletions(u"ㅅ", 0).empty());
}

TEST(StationCompletionsTest, EveryNameOnce) {
    for (std::u16string_view typed : {u"ㅅ", u"ㄷ", u"서", u"대전", u"ㅅㅇ"}) {
        const std::vector<std::u16string> names = StationCompletions(typed);
        EXPECT_EQ(std::set<std::u16string>(names.begin(), names.end()).size(), names.size())
            << Shown(names);
    }
}

// A name typed in full that nothing else resembles leaves nothing to pick; its beginning
// still offers it.
TEST(StationCompletionsTest, ANameAloneIsNotOfferedBackToItself) {
    std::u16string_view alone;
    for (const StationInfo& station : StationCatalogue()) {
        if (MatchStations(station.name, 2).size() == 1) {
            alone = station.name;
            break;
        }
    }
    ASSERT_FALSE(alone.empty());
    EXPECT_TRUE(StationCompletions(alone).empty()) << ToUtf8(alone);
    const std::vector<std::u16string> begun = StationCompletions(alone.substr(0, 2));
    EXPECT_TRUE(Has(begun, alone)) << Shown(begun);
}

TEST(StationCompletionsTest, AHugeTextOffersNothing) {
    EXPECT_TRUE(StationCompletions(std::u16string(1 << 20, u'ㄷ')).empty());
}

// Among the names 부 begins, the stations travellers pick most come first: on the sample
// timetables 부산 before 부강 and 부전, which more routes list but fewer trains call at.
TEST(StationSuggestionsTest, BusiestStationsFirstOnTheSamples) {
#ifdef VELOMAR_SOURCE_DIR  // under node, which passes no environment to the program
    const char* source = VELOMAR_SOURCE_DIR;
#else
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
#endif
    ASSERT_NE(source, nullptr);
    DiskFileReader reader;
    const TimetableDirectory samples(reader, std::filesystem::path(source) / "data");
    StationSuggestions suggestions(samples);
    const std::vector<std::u16string> names = suggestions.completions(u"부");
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), u"부산") << Shown(names);
    EXPECT_GT(suggestions.traffic().trains(u"부산"), suggestions.traffic().trains(u"부강"));
    // Without trains to go by, the routes decide as before.
    EXPECT_EQ(StationCompletions(u"부").front(), u"부강");
}

// A train that a line file and a through file both list counts once at a station.
TEST(StationSuggestionsTest, ATrainCountsOnceWhereverItIsListed) {
    testing_support::TimetableWorld world;
    world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
    world.addFile(20, Direction::Down, R"(
TYPE  0000 0000
TRNO  0101 0201
0401  0510 0600
)");
    const StationTraffic traffic = CountStationTraffic(world.directory);
    EXPECT_EQ(traffic.trains(u"문산"), 14);
    EXPECT_EQ(traffic.trains(u"도라산"), 13);
    EXPECT_EQ(traffic.trains(u"서울"), 0);
}

}  // namespace
}  // namespace velomar
