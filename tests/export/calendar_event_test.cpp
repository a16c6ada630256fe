#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/calendar_event.h"
#include "platform/utf8.h"

namespace velomar {
namespace {

// KTX 0191 of the Down file of route 16 from 서울 late in the evening to 부산 after midnight.
TrainEvent NightTrain() {
    return {u"0191",
            u"KTX",
            RouteCode(116),
            {{u"서울", u"0001", u"2200"}, {u"대전", u"0010", u"2258"}, {u"부산", u"0020", u"3046"}},
            "20101231",
            "20101230T120000Z"};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string Line(const std::string& text, std::string_view name) {
    for (const std::string& line : Lines(text)) {
        if (line.starts_with(name)) {
            return line;
        }
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Folding

struct FoldCase {
    std::string line;
};

class Folding : public testing::TestWithParam<FoldCase> {};

TEST_P(Folding, KeepsLinesShortAndSequencesWhole) {
    const std::string& line = GetParam().line;
    const std::string folded = FoldCalendarLine(line);
    ASSERT_TRUE(folded.ends_with("\r\n"));
    std::string unfolded;
    const auto lines = Lines(folded);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 75u) << i;
        EXPECT_TRUE(FromUtf8(lines[i]).has_value()) << "line " << i << " splits a character";
        if (i > 0) {
            ASSERT_EQ(lines[i][0], ' ');
        }
        unfolded += i == 0 ? lines[i] : lines[i].substr(1);
    }
    EXPECT_EQ(unfolded, line);
    EXPECT_EQ(lines.size() == 1, line.size() <= 75);
}

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Table, Folding,
                         testing::Values(FoldCase{""}, FoldCase{"SUMMARY:KTX"},
                                         FoldCase{Repeat("a", 75)}, FoldCase{Repeat("a", 76)},
                                         FoldCase{Repeat("a", 300)},
                                         // Three octets a syllable: 75 is no boundary of them.
                                         FoldCase{"DESCRIPTION:" + Repeat("서울", 40)},
                                         FoldCase{"X:a" + Repeat("가", 100)},
                                         FoldCase{"X:ab" + Repeat("🚄", 30)}));

TEST(CalendarTextValue, EscapesWhatTextValuesMust) {
    EXPECT_EQ(CalendarTextValue(u"a,b;c\\d\ne\r"), "a\\,b\\;c\\\\d\\ne");
    EXPECT_EQ(CalendarTextValue(u"서울 → 부산"), "서울 → 부산");
}

TEST(AddDays, AcrossMonthsYearsAndLeapDays) {
    EXPECT_EQ(AddDays("20101231", 1), "20110101");
    EXPECT_EQ(AddDays("20120228", 1), "20120229");
    EXPECT_EQ(AddDays("20110228", 1), "20110301");
    EXPECT_EQ(AddDays("20100618", 0), "20100618");
    EXPECT_EQ(AddDays("20100230", 1), std::nullopt);
    EXPECT_EQ(AddDays("2010061", 1), std::nullopt);
}

// ---------------------------------------------------------------------------------------------
// The event

TEST(CalendarText, AnArrivalAfterMidnightFallsOnTheNextDay) {
    const auto text = CalendarText(NightTrain());
    ASSERT_TRUE(text);
    EXPECT_EQ(Line(*text, "DTSTART;"), "DTSTART;TZID=Asia/Seoul:20101231T220000");
    EXPECT_EQ(Line(*text, "DTEND;"), "DTEND;TZID=Asia/Seoul:20110101T004600");
    EXPECT_EQ(Line(*text, "UID:"), "UID:20101231-116-0191-0001-0020@velomar.invalid");
    EXPECT_EQ(Line(*text, "DTSTAMP:"), "DTSTAMP:20101230T120000Z");
    EXPECT_EQ(Line(*text, "SUMMARY:"), "SUMMARY:KTX 0191 서울 → 부산");
    EXPECT_EQ(Line(*text, "DESCRIPTION:"),
              "DESCRIPTION:KTX 0191\\n서울 22:00\\n대전 22:58\\n부산 00:46");
    // Every line ends with CR LF, and nothing else breaks a line.
    EXPECT_EQ(text->find('\n'), text->find("\r\n") + 1);
    EXPECT_EQ(std::count(text->begin(), text->end(), '\n'),
              std::count(text->begin(), text->end(), '\r'));
}

TEST(CalendarText, DeparturesAfterMidnightAndClocksThatWrap) {
    TrainEvent late = NightTrain();
    late.stops = {{u"서울", u"0001", u"3010"}, {u"부산", u"0020", u"3250"}};
    const auto text = CalendarText(late);
    ASSERT_TRUE(text);
    EXPECT_EQ(Line(*text, "DTSTART;"), "DTSTART;TZID=Asia/Seoul:20110101T001000");
    EXPECT_EQ(Line(*text, "DTEND;"), "DTEND;TZID=Asia/Seoul:20110101T025000");
    // A file that writes 00:15 without the after-midnight digit still runs forward.
    late.stops = {{u"서울", u"0001", u"2330"}, {u"부산", u"0020", u"0015"}};
    EXPECT_EQ(Line(*CalendarText(late), "DTEND;"), "DTEND;TZID=Asia/Seoul:20110101T001500");
}

TEST(CalendarText, OneStopHasNoEndAndBadInputNoEvent) {
    TrainEvent one = NightTrain();
    one.stops.resize(1);
    const auto text = CalendarText(one);
    ASSERT_TRUE(text);
    EXPECT_EQ(Line(*text, "DTEND"), "");
    TrainEvent none = NightTrain();
    none.stops.clear();
    EXPECT_FALSE(CalendarText(none));
    TrainEvent bad = NightTrain();
    bad.stops[1].cell = u"2460";
    EXPECT_FALSE(CalendarText(bad));
    TrainEvent noDay = NightTrain();
    noDay.serviceDay = "20101332";
    EXPECT_FALSE(CalendarText(noDay));
}

TEST(CalendarText, TheUidNamesDayFileTrainAndStations) {
    const auto first = CalendarText(NightTrain());
    EXPECT_EQ(Line(*first, "UID:"), Line(*CalendarText(NightTrain()), "UID:"));
    TrainEvent other = NightTrain();
    other.serviceDay = "20110101";
    EXPECT_NE(Line(*first, "UID:"), Line(*CalendarText(other), "UID:"));
    other = NightTrain();
    other.stops.pop_back();
    EXPECT_NE(Line(*first, "UID:"), Line(*CalendarText(other), "UID:"));
}

}  // namespace
}  // namespace velomar
