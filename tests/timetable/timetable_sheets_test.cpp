#include <gtest/gtest.h>

#include "timetable/timetable_file.h"

namespace velomar {
namespace {

struct SheetName {
    RouteCode code;
    const char* name;
};

class SheetNames : public ::testing::TestWithParam<SheetName> {};

TEST_P(SheetNames, NameAndCodeGoBothWays) {
    const SheetName& c = GetParam();
    EXPECT_TRUE(c.code.names_file());
    EXPECT_EQ(TimetableFileName(c.code), c.name);
    EXPECT_EQ(RouteCodeOfFileName(c.name), c.code);
}

INSTANTIATE_TEST_SUITE_P(Codes, SheetNames,
                         ::testing::Values(SheetName{RouteCode(0), "UpData_00.txt"},
                                           SheetName{RouteCode(131), "DownData_31.txt"},
                                           SheetName{RouteCode(1016), "UpData_16.2.txt"},
                                           SheetName{RouteCode(2116), "DownData_16.3.txt"},
                                           SheetName{RouteCode::of(5, Direction::Down, 999),
                                                     "DownData_05.999.txt"}));

TEST(SheetNames, OtherNamesAndNumbersNameNoSheet) {
    for (const char* name : {"UpData_16.1.txt", "UpData_16.02.txt", "UpData_32.txt",
                             "UpData_16.1000.txt", "UpData_6.txt", "Dates.txt", "UpData_16.2"}) {
        EXPECT_FALSE(RouteCodeOfFileName(name)) << name;
    }
    for (int value : {-1, 32, 99, 132, 1032, 999000}) {
        EXPECT_FALSE(RouteCode(value).names_file()) << value;
    }
    const RouteCode code(2116);
    EXPECT_EQ(code.route(), 16);
    EXPECT_EQ(code.direction(), Direction::Down);
    EXPECT_EQ(code.sheet(), 3);
    EXPECT_EQ(code.firstSheet(), RouteCode(116));
}

TEST(Sheets, AreListedInOrderUpToTheFirstGap) {
    MemoryFileReader reader;
    for (const char* name : {"UpData_16.2.txt", "UpData_16.3.txt", "UpData_16.5.txt"}) {
        reader.add(std::filesystem::path("d") / "TimeData" / name, "=");
    }
    const TimetableDirectory directory(reader, "d");
    // The file itself is listed even when missing, so that reading it reports it.
    EXPECT_EQ(directory.sheets(16, Direction::Up),
              (std::vector<RouteCode>{RouteCode(16), RouteCode(1016), RouteCode(2016)}));
    EXPECT_EQ(directory.sheets(16, Direction::Down), std::vector<RouteCode>{RouteCode(116)});
}

}  // namespace
}  // namespace velomar
