// The pieces the listing commands print with: values of options, the travel time, the JSON
// escaper, terminal widths and the three record formats.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/cli.h"
#include "cli/json_text.h"
#include "cli/option_values.h"
#include "cli/record_writer.h"
#include "cli/table_writer.h"
#include "cli/travel_time.h"

namespace velomar::cli {
namespace {

TEST(OptionValues, CountsAreDigitsOnlyUpToTheLimit) {
    EXPECT_EQ(ParseCount("0", 5), 0);
    EXPECT_EQ(ParseCount("5", 5), 5);
    EXPECT_EQ(ParseCount("007", 10), 7);
    for (const char* bad : {"", "6", "-1", "+1", "1x", " 1", "1234567890"}) {
        EXPECT_EQ(ParseCount(bad, 5), std::nullopt) << bad;
    }
}

TEST(OptionValues, TrainTypesByIndexOrName) {
    EXPECT_EQ(ParseTrainType("0"), 0);
    EXPECT_EQ(ParseTrainType("5"), 5);
    EXPECT_EQ(ParseTrainType("전체"), 0);
    EXPECT_EQ(ParseTrainType("KTX"), 1);
    EXPECT_EQ(ParseTrainType("누리로"), 5);
    for (const char* bad : {"6", "ktx", "(K)ABC", "\xff"}) {
        EXPECT_EQ(ParseTrainType(bad), std::nullopt) << bad;
    }
}

TEST(OptionValues, TimesPickTheHourAndTheTenMinuteEntry) {
    const auto at = ParseTimeChoice("07:39");
    ASSERT_TRUE(at);
    EXPECT_EQ(at->hour, 7);
    EXPECT_EQ(at->minuteEntry, 3);
    EXPECT_EQ(ParseTimeChoice("23:59")->minuteEntry, 5);
    for (const char* bad : {"24:00", "07:60", "7:30", "07-30", "07:3x", "07:300"}) {
        EXPECT_FALSE(ParseTimeChoice(bad)) << bad;
    }
}

struct TravelCase {
    std::u16string_view departure;
    std::u16string_view arrival;
    std::optional<int> minutes;
    std::u16string_view shown;
};

class TravelTime : public testing::TestWithParam<TravelCase> {};

TEST_P(TravelTime, MinutesAcrossMidnight) {
    const TravelCase& c = GetParam();
    EXPECT_EQ(TravelMinutes(c.departure, c.arrival), c.minutes);
    EXPECT_EQ(DurationText(TravelMinutes(c.departure, c.arrival)), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, TravelTime,
                         testing::Values(TravelCase{u"07:10", u"07:40", 30, u"0:30"},
                                         TravelCase{u"06:00", u"11:05", 305, u"5:05"},
                                         TravelCase{u"23:50", u"00:20", 30, u"0:30"},
                                         TravelCase{u"08:00", u"08:00", 0, u"0:00"},
                                         TravelCase{u"23:50", u"24:00", 10, u"0:10"},
                                         TravelCase{u"07:1", u"07:40", std::nullopt, u""},
                                         TravelCase{u"07:10", u"0740", std::nullopt, u""},
                                         TravelCase{u"a7:10", u"07:40", std::nullopt, u""}));

TEST(JsonText, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString(u"서울"), "\"서울\"");
    EXPECT_EQ(JsonString(u"a\"b\\c"), "\"a\\\"b\\\\c\"");
    // DEL and C1 too: JSON allows them raw, but a terminal acts on U+009B.
    EXPECT_EQ(JsonString(u"\t\n\x1f\x7f\x9b\xa0"), "\"\\u0009\\u000a\\u001f\\u007f\\u009b\u00a0\"");
    EXPECT_EQ(JsonString(u"\xD83D\xDE84\\"), "\"\U0001F684\\\\\"");  // a pair stays whole
    EXPECT_EQ(JsonString(u""), "\"\"");
}

TEST(TableWriter, WideCharactersTakeTwoColumns) {
    EXPECT_EQ(DisplayWidth(u"KTX"), 3);
    EXPECT_EQ(DisplayWidth(u"무궁화"), 6);
    EXPECT_EQ(DisplayWidth(u"(K)ABC"), 6);
    EXPECT_EQ(DisplayWidth(u"\xD83D\xDE84"), 1);  // a pair is one character
    std::ostringstream out;
    PrintTable(out, {{u"열차No", u"열 차"}, {u"0101", u"KTX"}, {u"1", u"무궁화"}});
    EXPECT_EQ(out.str(),
              "열차No  열 차\n"
              "0101    KTX\n"
              "1       무궁화\n");
}

// A column in every format, one only in the table, one only in JSON.
constexpr OutputColumn kColumns[] = {
    {u"이름", "name", true},
    {u"표", "", false},
    {u"", "minutes", true},
};

std::string written(OutputFormat format, const std::vector<OutputRecord>& records) {
    std::ostringstream out;
    WriteRecords(out, format, kColumns, records);
    return out.str();
}

TEST(RecordWriter, EachFormatShowsItsColumns) {
    using Json = OutputValue::Json;
    const std::vector<OutputRecord> records{
        {{u"가\"나"}, {u"t1"}, {u"12", Json::Number}},
        {{u"다"}, {u"t2"}, {u"", Json::Null}},
    };
    EXPECT_EQ(written(OutputFormat::Table, records),
              "이름   표\n"
              "가\"나  t1\n"
              "다     t2\n");
    EXPECT_EQ(written(OutputFormat::Tsv, records), "가\"나\t12\n다\t\n");
    EXPECT_EQ(written(OutputFormat::Json, records),
              "[\n"
              "  {\"name\": \"가\\\"나\", \"minutes\": 12},\n"
              "  {\"name\": \"다\", \"minutes\": null}\n"
              "]\n");
}

TEST(RecordWriter, NoRecords) {
    EXPECT_EQ(written(OutputFormat::Table, {}), "");  // standard error says why
    EXPECT_EQ(written(OutputFormat::Tsv, {}), "");
    EXPECT_EQ(written(OutputFormat::Json, {}), "[]\n");
}

TEST(RecordWriter, FormatNames) {
    EXPECT_EQ(ParseOutputFormat("table"), OutputFormat::Table);
    EXPECT_EQ(ParseOutputFormat("tsv"), OutputFormat::Tsv);
    EXPECT_EQ(ParseOutputFormat("json"), OutputFormat::Json);
    EXPECT_EQ(ParseOutputFormat("JSON"), std::nullopt);
}

#ifndef _WIN32
// With no place for a store at all, the search still runs and names the missing place.
TEST(CliSearchStore, NoPlaceForTheStoreIsNamedSo) {
    for (const char* name : {"VELOMAR_SETTINGS", "XDG_CONFIG_HOME", "HOME"}) {
        unsetenv(name);
    }
    std::ostringstream out;
    std::ostringstream err;
    RunCli({"--data", "/nonexistent", "search", "문산", "도라산"}, out, err);
    EXPECT_NE(err.str().find(
                  "velomar-cli search: the settings store (no place for it) cannot be opened; the "
                  "stations are not remembered\n"),
              std::string::npos)
        << err.str();
}
#endif

}  // namespace
}  // namespace velomar::cli
