#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "network/route_table.h"
#include "network/station_directory.h"

namespace velomar {
namespace {

// Group of a name, worked out from the Hangul initial consonant of its first syllable, so the
// check does not depend on how the tables were typed. Doubled consonants count as plain.
int groupOfInitial(std::u16string_view name) {
    const char16_t first = name.at(0);
    EXPECT_TRUE(first >= 0xAC00 && first <= 0xD7A3) << "not a Hangul syllable";
    const int initial = (first - 0xAC00) / (21 * 28);
    // ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ
    constexpr int kGroupOf[19] = {0, 0, 1, 2, 2, 3, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13};
    return kGroupOf[initial];
}

// The plain consonant with the vowel ㅏ, e.g. group 6 -> 사.
std::u16string labelOfGroup(int g) {
    constexpr int kInitialOf[14] = {0, 2, 3, 5, 6, 7, 9, 11, 12, 14, 15, 16, 17, 18};
    return std::u16string(1, static_cast<char16_t>(0xAC00 + kInitialOf[g] * 21 * 28));
}

bool isFiller(const StationEntry& e) {
    return e.name == u"없음" && e.code == u"0000";
}

TEST(StationDirectory, GroupLabelsAndSizes) {
    constexpr int kSizes[kGroupCount] = {59, 17, 36, 1, 22, 28, 61, 79, 35, 21, 1, 5, 9, 31};
    int total = 0;
    for (int g = 0; g < kGroupCount; ++g) {
        EXPECT_EQ(GroupLabel(g), labelOfGroup(g)) << "group " << g;
        EXPECT_EQ(GroupSize(g), kSizes[g]) << "group " << g;
        total += GroupSize(g);
    }
    EXPECT_EQ(total, 405);
}

TEST(StationDirectory, EveryEntryStandsInTheGroupOfItsInitialConsonant) {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < GroupSize(g); ++i) {
            const StationEntry& e = GroupEntry(g, i);
            if (isFiller(e)) {
                continue;
            }
            EXPECT_EQ(groupOfInitial(e.name), g) << "group " << g << " entry " << i;
            EXPECT_GE(e.name.size(), 2u);
            EXPECT_LE(e.name.size(), 5u);
            ASSERT_EQ(e.code.size(), 4u);
            for (char16_t c : e.code) {
                EXPECT_TRUE(c >= u'0' && c <= u'9');
            }
        }
    }
}

TEST(StationDirectory, AscendingWithExactlyTwoDoubledEntries) {
    std::vector<std::pair<int, int>> doubled;
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 1; i < GroupSize(g); ++i) {
            const StationEntry& prev = GroupEntry(g, i - 1);
            const StationEntry& cur = GroupEntry(g, i);
            EXPECT_LE(prev.name, cur.name) << "group " << g << " entry " << i;
            if (prev.name == cur.name) {
                EXPECT_EQ(prev.code, cur.code);
                doubled.emplace_back(g, i - 1);
            }
        }
    }
    const std::vector<std::pair<int, int>> expected = {{5, 3}, {6, 17}};
    EXPECT_EQ(doubled, expected);
    EXPECT_EQ(GroupEntry(5, 3).name, u"백마");
    EXPECT_EQ(GroupEntry(5, 4).code, u"0394");
    EXPECT_EQ(GroupEntry(6, 17).name, u"서강");
    EXPECT_EQ(GroupEntry(6, 18).code, u"0405");
}

TEST(StationDirectory, FillersOnlyInTheEmptyGroups) {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < GroupSize(g); ++i) {
            const bool fillerGroup = g == 3 || g == 10;
            EXPECT_EQ(isFiller(GroupEntry(g, i)), fillerGroup) << "group " << g;
        }
    }
}

TEST(StationDirectory, NamedEntries) {
    EXPECT_EQ(GroupEntry(7, 0).name, u"아산");
    EXPECT_EQ(GroupEntry(7, 0).code, u"0503");
    EXPECT_EQ(GroupEntry(7, 1).name, u"아우라지");
    EXPECT_EQ(GroupEntry(7, 1).code, u"0202");
    EXPECT_EQ(GroupEntry(8, 11).name, u"제천조차장");
}

// Names and codes one to one, also across the route table; coverage of the two tables.
TEST(StationDirectory, CodesAgreeWithRouteTableAndCoverageIsAsDescribed) {
    std::map<std::u16string_view, std::u16string_view> codeOfName;
    std::map<std::u16string_view, std::u16string_view> nameOfCode;
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < GroupSize(g); ++i) {
            const StationEntry& e = GroupEntry(g, i);
            if (isFiller(e)) {
                continue;
            }
            auto [n, newName] = codeOfName.emplace(e.name, e.code);
            EXPECT_EQ(n->second, e.code) << "two codes for one name";
            auto [c, newCode] = nameOfCode.emplace(e.code, e.name);
            EXPECT_EQ(c->second, e.name) << "two names for one code";
        }
    }
    EXPECT_EQ(codeOfName.size(), 401u);

    std::set<std::u16string_view> routeStations;
    for (const RouteRecord& r : RouteTable()) {
        if (!IsStationRecord(r)) {
            continue;
        }
        routeStations.insert(r.name);
        if (auto it = codeOfName.find(r.name); it != codeOfName.end()) {
            EXPECT_EQ(it->second, r.code);
        }
    }
    std::set<std::u16string_view> missingFromDirectory;
    for (auto name : routeStations) {
        if (!codeOfName.contains(name)) {
            missingFromDirectory.insert(name);
        }
    }
    const std::set<std::u16string_view> expectedMissing = {
        u"가수원", u"광곡", u"낙동강", u"남문구", u"다시", u"사곡", u"석불",
        u"소요산", u"송천", u"수영",   u"신망리", u"아신", u"아중", u"양보",
        u"완사",   u"원북", u"임피",   u"자미원", u"재송", u"진성", u"한탄강"};
    EXPECT_EQ(missingFromDirectory, expectedMissing);

    int onNoRoute = 0;
    for (const auto& [name, code] : codeOfName) {
        onNoRoute += routeStations.contains(name) ? 0 : 1;
    }
    EXPECT_EQ(onNoRoute, 124);
}

}  // namespace
}  // namespace velomar
