#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "network/hangul.h"
#include "network/station_matcher.h"
#include "platform/utf8.h"

namespace velomar {
namespace {

std::vector<std::u16string_view> Names(const std::vector<StationMatch>& matches) {
    std::vector<std::u16string_view> names;
    for (const StationMatch& match : matches) {
        names.push_back(match.station.name);
    }
    return names;
}

std::string Shown(const std::vector<StationMatch>& matches) {
    std::string text;
    for (const StationMatch& match : matches) {
        text += ToUtf8(match.station.name) + "(" + ToUtf8(MatchKindText(match.kind)) + ") ";
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// What a typed text finds first, and how.

struct FirstCase {
    std::u16string_view text;
    std::u16string_view first;
    MatchKind kind;
};

class FirstMatch : public testing::TestWithParam<FirstCase> {};

TEST_P(FirstMatch, IsTheExpectedStation) {
    const auto matches = MatchStations(GetParam().text, 50);
    ASSERT_FALSE(matches.empty()) << ToUtf8(GetParam().text);
    EXPECT_EQ(matches.front().station.name, GetParam().first) << Shown(matches);
    EXPECT_EQ(matches.front().kind, GetParam().kind) << Shown(matches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FirstMatch,
    testing::Values(
        // Whole names, also with spaces around them.
        FirstCase{u"서울", u"서울", MatchKind::Exact},
        FirstCase{u" 대구\t", u"대구", MatchKind::Exact},
        FirstCase{u"가야", u"가야", MatchKind::Exact},  // directory only, no route
        // Beginnings; the last syllable may be unfinished while it is being typed (서 → 성 →
        // 서우 → 서울 on a Korean keyboard).
        FirstCase{u"동대", u"동대구", MatchKind::Prefix},
        FirstCase{u"서우", u"서울", MatchKind::Prefix},
        FirstCase{u"제천조", u"제천조차장", MatchKind::Prefix},
        // Initial consonants, keyboard jamo or conjoining jamo, and mixed with syllables.
        FirstCase{u"ㄷㄷㄱ", u"동대구", MatchKind::Initials},
        FirstCase{u"\u1103\u1103\u1100", u"동대구", MatchKind::Initials},
        FirstCase{u"동ㄷ", u"동대구", MatchKind::Initials},
        FirstCase{u"ㄷ대ㄱ", u"동대구", MatchKind::Initials},
        FirstCase{u"ㅈㅊㅈㅊㅈ", u"제천조차장", MatchKind::Initials},
        // A doubled initial is typed as itself; its plain consonant finds it too.
        FirstCase{u"ㅆㅇ", u"쌍용", MatchKind::Initials},
        FirstCase{u"쌍", u"쌍용", MatchKind::Prefix},
        // One typo: a wrong vowel, a wrong or missing final, a doubled initial, a missing or
        // extra syllable, a wrong syllable.
        FirstCase{u"서을", u"서울", MatchKind::NearMiss},
        FirstCase{u"대젼", u"대전", MatchKind::NearMiss},
        FirstCase{u"부싼", u"부산", MatchKind::NearMiss},
        FirstCase{u"동대굴", u"동대구", MatchKind::NearMiss},
        FirstCase{u"서울역", u"서울", MatchKind::NearMiss},
        FirstCase{u"천안산", u"천안아산", MatchKind::NearMiss},
        FirstCase{u"광주송", u"광주", MatchKind::NearMiss}));

// ---------------------------------------------------------------------------------------------
// Which stations a text finds at all.

struct SetCase {
    std::u16string_view text;
    std::vector<std::u16string_view> includes;
    std::vector<std::u16string_view> excludes;
};

class MatchSet : public testing::TestWithParam<SetCase> {};

TEST_P(MatchSet, IncludesAndExcludes) {
    const auto names = Names(MatchStations(GetParam().text, 1000));
    for (std::u16string_view name : GetParam().includes) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end())
            << ToUtf8(GetParam().text) << " should find " << ToUtf8(name);
    }
    for (std::u16string_view name : GetParam().excludes) {
        EXPECT_EQ(std::find(names.begin(), names.end(), name), names.end())
            << ToUtf8(GetParam().text) << " should not find " << ToUtf8(name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, MatchSet,
    testing::Values(
        SetCase{u"ㅅㅇ", {u"서울", u"수원", u"쌍용"}, {u"순천", u"대전"}},
        // A doubled consonant asks for itself only.
        SetCase{u"ㅆ", {u"쌍용"}, {u"서울", u"수원"}},
        SetCase{u"ㅅ", {u"서울", u"쌍용", u"신탄진"}, {u"대전"}},
        // 성 is also 서 with the next syllable's ㅇ typed as its final.
        SetCase{u"성", {u"성북", u"성환", u"서울"}, {u"서천"}},
        // Typed consonants never look for typos: 동ㄷ is not one letter away from 동해.
        SetCase{u"동ㄷ", {u"동대구", u"동두천"}, {u"동해", u"동래"}},
        // A single syllable has no near misses (every name one syllable longer would be one).
        SetCase{u"서", {u"서울", u"서대전"}, {u"구서", u"대전"}},
        // Vowels and consonants that never begin a syllable stand for nothing.
        SetCase{u"ㅏ", {}, {u"아산"}}, SetCase{u"ㄳ", {}, {u"기장"}}));

TEST(MatchStations, NothingForEmptyOrForeignText) {
    EXPECT_TRUE(MatchStations(u"", 10).empty());
    EXPECT_TRUE(MatchStations(u"  \t ", 10).empty());
    EXPECT_TRUE(MatchStations(u"Seoul", 10).empty());
    EXPECT_TRUE(MatchStations(u"서울", 0).empty());
}

TEST(MatchStations, AHugeTextIsNoTypoOfAnything) {
    // Pasted by mistake: answered at once, not after an edit distance of a million letters.
    const std::u16string huge(1 << 20, u'서');
    EXPECT_TRUE(MatchStations(huge, 10).empty());
    EXPECT_TRUE(SuggestStations(huge).empty());
    EXPECT_TRUE(MatchStations(u"서울" + std::u16string(1 << 20, u'x'), 10).empty());
}

TEST(MatchStations, RanksByKindThenRoutesThenName) {
    const auto matches = MatchStations(u"대", 100);
    ASSERT_GE(matches.size(), 3u);
    for (std::size_t i = 1; i < matches.size(); ++i) {
        const StationMatch& a = matches[i - 1];
        const StationMatch& b = matches[i];
        ASSERT_LE(a.kind, b.kind) << Shown(matches);
        if (a.kind == b.kind) {
            EXPECT_TRUE(a.station.routes > b.station.routes ||
                        (a.station.routes == b.station.routes && a.station.name < b.station.name))
                << Shown(matches);
        }
    }
    // Stations on more routes first: 대전 (on many routes) before 대야 (one), 대곡 (none).
    const auto names = Names(matches);
    EXPECT_LT(std::find(names.begin(), names.end(), u"대전"),
              std::find(names.begin(), names.end(), u"대야"));
    EXPECT_LT(std::find(names.begin(), names.end(), u"대야"),
              std::find(names.begin(), names.end(), u"대곡"));
}

// Trains go before routes, and only within a kind: a busy near miss stays below a prefix.
TEST(MatchStations, MoreTrainsFirstWithinAKind) {
    StationTraffic traffic;
    traffic.set(u"부산", 120);
    traffic.set(u"부전", 30);
    traffic.set(u"부강", 4);
    traffic.set(u"구산", 500);
    const auto names = Names(MatchStations(u"부", 3, traffic));
    EXPECT_EQ(names, (std::vector<std::u16string_view>{u"부산", u"부전", u"부강"}));
    EXPECT_EQ(Names(MatchStations(u"부산", 2, traffic)).front(), u"부산");
}

TEST(MatchStations, KindsInOrderAndNearMissesByTypos) {
    const auto matches = MatchStations(u"대전", 100);
    ASSERT_FALSE(matches.empty());
    EXPECT_EQ(matches.front().kind, MatchKind::Exact);
    int lastTypos = 0;
    for (const StationMatch& match : matches) {
        if (match.kind == MatchKind::NearMiss) {
            EXPECT_GE(match.typos, lastTypos) << Shown(matches);
            lastTypos = match.typos;
        }
    }
    const auto names = Names(matches);
    EXPECT_NE(std::find(names.begin(), names.end(), u"서대전"), names.end());  // extra syllable
    EXPECT_NE(std::find(names.begin(), names.end(), u"대천"), names.end());    // one jamo
}

TEST(MatchStations, LimitKeepsTheBest) {
    auto all = Names(MatchStations(u"ㅅ", 1000));
    const auto three = Names(MatchStations(u"ㅅ", 3));
    ASSERT_GT(all.size(), 3u);
    all.resize(3);
    EXPECT_EQ(three, all);
}

// ---------------------------------------------------------------------------------------------
// Suggestions for names no route carries, and the catalogue behind both.

struct SuggestCase {
    std::u16string_view text;
    std::vector<std::u16string_view> suggested;
};

class Suggestions : public testing::TestWithParam<SuggestCase> {};

TEST_P(Suggestions, AreTheClosestStationsWithTrains) {
    const auto names = SuggestStations(GetParam().text);
    EXPECT_EQ(names, GetParam().suggested) << ToUtf8(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, Suggestions,
                         testing::Values(SuggestCase{u"서을", {u"서울"}},
                                         SuggestCase{u"부싼", {u"부산"}},
                                         SuggestCase{u"서울역", {u"서울"}},
                                         // Stations, with trains or without, are no typos.
                                         SuggestCase{u"서울", {}}, SuggestCase{u"가야", {}},
                                         // 가얌 is closest to 가야, which has no trains; 가평, one
                                         // syllable off, is not what was meant.
                                         SuggestCase{u"가얌", {}}, SuggestCase{u"ㅅㅇ", {}},
                                         SuggestCase{u"", {}}, SuggestCase{u"xyz", {}}));

TEST(StationCatalogue, EveryStationOnceWithItsRoutes) {
    const auto catalogue = StationCatalogue();
    // 401 directory stations and the 21 that only the route tables know.
    EXPECT_EQ(catalogue.size(), 422u);
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        EXPECT_NE(catalogue[i].name, u"없음");
        for (std::size_t j = i + 1; j < catalogue.size(); ++j) {
            ASSERT_NE(catalogue[i].name, catalogue[j].name);
        }
    }
    ASSERT_NE(FindStation(u"서울"), nullptr);
    EXPECT_EQ(FindStation(u"서울")->code, u"0001");
    EXPECT_EQ(FindStation(u"서울")->routes, 8);
    EXPECT_EQ(FindStation(u"순천")->routes, 5);  // twice on route 27, counted once
    EXPECT_EQ(FindStation(u"가야")->routes, 0);
    EXPECT_EQ(FindStation(u"낙동강")->code, u"0477");  // on routes only
    EXPECT_EQ(FindStation(u"서을"), nullptr);
}

TEST(Hangul, TakesSyllablesApart) {
    const auto s = hangul::SyllableOf(u'쌍');
    ASSERT_TRUE(s);
    EXPECT_EQ(s->initial, 10);  // ㅆ
    EXPECT_EQ(hangul::PlainInitial(s->initial), 9);
    EXPECT_FALSE(hangul::SyllableOf(u'ㅅ'));
    EXPECT_EQ(hangul::TypedInitial(u'ㅎ'), 18);
    EXPECT_EQ(hangul::TypedInitial(u'\u1112'), 18);
    EXPECT_FALSE(hangul::TypedInitial(u'ㄳ'));
    EXPECT_FALSE(hangul::TypedInitial(u'ㅏ'));
    EXPECT_EQ(hangul::Jamo(u"서울").size(), 5u);  // ㅅㅓ ㅇㅜㄹ
    EXPECT_EQ(hangul::Jamo(u"ㅅ"), hangul::Jamo(u"서").substr(0, 1));
}

}  // namespace
}  // namespace velomar
