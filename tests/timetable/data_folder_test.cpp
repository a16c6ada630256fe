#include "timetable/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace velomar {
namespace {

namespace fs = std::filesystem;

// A scratch tree with an installed layout and the other places the rules look at:
//
//   root/prefix/bin/                      the executable's folder
//   root/prefix/share/velomar/TimeData/   installed samples
//   root/home/.local/share/velomar/...    the default user folder
//   root/xdg/velomar/...                  user folder under $XDG_DATA_HOME
//   root/given/...                        for --data and $VELOMAR_DATA
//
// Each case makes only the TimeData folders it names.
class DataFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("velomar_data_folder_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "prefix" / "bin");
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path at(const std::string& relative) const { return m_root / relative; }
    void makeTimeData(const std::string& folder) const {
        fs::create_directories(at(folder) / "TimeData");
    }

    DataFolderPlaces places(std::map<std::string, std::string> environment,
                            std::optional<fs::path> option = std::nullopt) const {
        for (auto& [name, value] : environment) {
            if (value.starts_with("@")) {  // a path inside the scratch tree
                value = at(value.substr(1)).string();
            }
        }
        return {std::move(option),
                [environment = std::move(environment)](const char* name) -> const char* {
                    const auto found = environment.find(name);
                    return found == environment.end() ? nullptr : found->second.c_str();
                },
                at("prefix/bin")};
    }

    fs::path m_root;
};

struct RuleCase {
    const char* label;
    std::vector<std::string> timeData;  // folders that hold TimeData/
    std::map<std::string, std::string> environment;
    DataFolderRule rule;
    std::string folder;  // relative to the scratch tree
};

class DataFolderRules : public DataFolderTest, public testing::WithParamInterface<RuleCase> {};

TEST_P(DataFolderRules, ChoosesTheFirstRuleThatGivesAFolder) {
    const RuleCase& c = GetParam();
    for (const std::string& folder : c.timeData) {
        makeTimeData(folder);
    }
    const DataFolder chosen = ChooseDataFolder(places(c.environment));
    EXPECT_EQ(chosen.rule, c.rule) << DescribeDataFolderRule(chosen.rule);
    EXPECT_EQ(chosen.folder, at(c.folder));
}

const std::vector<std::string> kEverywhere = {"given", "prefix/bin", "home/.local/share/velomar",
                                              "xdg/velomar", "prefix/share/velomar"};

INSTANTIATE_TEST_SUITE_P(
    Order, DataFolderRules,
    testing::Values(
        RuleCase{"environment_before_all_others",
                 kEverywhere,
                 {{"VELOMAR_DATA", "@given"}, {"HOME", "@home"}},
                 DataFolderRule::Environment,
                 "given"},
        // An explicit folder is used even without TimeData/, so its absence is reported.
        RuleCase{"environment_without_timedata",
                 {"prefix/bin"},
                 {{"VELOMAR_DATA", "@given"}},
                 DataFolderRule::Environment,
                 "given"},
        RuleCase{"empty_environment_is_unset",
                 {"prefix/bin"},
                 {{"VELOMAR_DATA", ""}},
                 DataFolderRule::ProgramFolder,
                 "prefix/bin"},
        // A build tree keeps its own samples even when the user has timetables.
        RuleCase{"program_folder_before_user",
                 kEverywhere,
                 {{"HOME", "@home"}, {"XDG_DATA_HOME", "@xdg"}},
                 DataFolderRule::ProgramFolder,
                 "prefix/bin"},
        RuleCase{"xdg_user_before_installed",
                 {"xdg/velomar", "prefix/share/velomar"},
                 {{"HOME", "@home"}, {"XDG_DATA_HOME", "@xdg"}},
                 DataFolderRule::UserFolder,
                 "xdg/velomar"},
        RuleCase{"home_user_before_installed",
                 {"home/.local/share/velomar", "prefix/share/velomar"},
                 {{"HOME", "@home"}},
                 DataFolderRule::UserFolder,
                 "home/.local/share/velomar"},
        // A set XDG_DATA_HOME replaces ~/.local/share; it is not tried as well.
        RuleCase{"xdg_set_hides_home",
                 {"home/.local/share/velomar", "prefix/share/velomar"},
                 {{"HOME", "@home"}, {"XDG_DATA_HOME", "@xdg"}},
                 DataFolderRule::InstalledFolder,
                 "prefix/share/velomar"},
        RuleCase{"relative_xdg_ignored",
                 {"home/.local/share/velomar"},
                 {{"HOME", "@home"}, {"XDG_DATA_HOME", "relative/data"}},
                 DataFolderRule::UserFolder,
                 "home/.local/share/velomar"},
        RuleCase{"empty_xdg_is_unset",
                 {"home/.local/share/velomar"},
                 {{"HOME", "@home"}, {"XDG_DATA_HOME", ""}},
                 DataFolderRule::UserFolder,
                 "home/.local/share/velomar"},
        RuleCase{"user_folder_without_timedata",
                 {"prefix/share/velomar"},
                 {{"HOME", "@home"}},
                 DataFolderRule::InstalledFolder,
                 "prefix/share/velomar"},
        RuleCase{"no_home_no_xdg",
                 {"prefix/share/velomar"},
                 {},
                 DataFolderRule::InstalledFolder,
                 "prefix/share/velomar"},
        // Nothing anywhere: the program's folder, so a build without samples fails as before.
        RuleCase{"nothing_found", {}, {{"HOME", "@home"}}, DataFolderRule::NotFound, "prefix/bin"}),
    [](const testing::TestParamInfo<RuleCase>& info) { return info.param.label; });

TEST_F(DataFolderTest, OptionWinsOverEverythingAndIsTakenAsGiven) {
    for (const std::string& folder : kEverywhere) {
        makeTimeData(folder);
    }
    const DataFolder chosen = ChooseDataFolder(places({{"VELOMAR_DATA", "@given"}}, at("nowhere")));
    EXPECT_EQ(chosen.rule, DataFolderRule::Option);
    EXPECT_EQ(chosen.folder, at("nowhere"));
}

TEST_F(DataFolderTest, TimeDataMustBeAFolder) {
    fs::create_directories(at("prefix/share/velomar"));
    std::ofstream(at("prefix/share/velomar/TimeData")) << "not a folder";
    EXPECT_EQ(ChooseDataFolder(places({})).rule, DataFolderRule::NotFound);
}

TEST_F(DataFolderTest, InstalledFolderIsNamedWithoutDotDot) {
    const auto candidates = DataFolderCandidates(places({}));
    ASSERT_EQ(candidates.size(), 5u);
    EXPECT_EQ(candidates[4].rule, DataFolderRule::InstalledFolder);
    EXPECT_EQ(candidates[4].folder, at("prefix/share/velomar"));
}

TEST_F(DataFolderTest, UnknownExecutableFolderSkipsTheRulesBesideIt) {
    makeTimeData("home/.local/share/velomar");
    DataFolderPlaces unknown = places({{"HOME", "@home"}});
    unknown.executableDirectory.clear();
    // Not TimeData/ relative to the working folder.
    for (const DataFolderCandidate& candidate : DataFolderCandidates(unknown)) {
        if (candidate.rule == DataFolderRule::ProgramFolder ||
            candidate.rule == DataFolderRule::InstalledFolder) {
            EXPECT_TRUE(candidate.folder.empty());
            EXPECT_FALSE(candidate.holdsTimeData);
        }
    }
    EXPECT_EQ(ChooseDataFolder(unknown).rule, DataFolderRule::UserFolder);
}

}  // namespace
}  // namespace velomar
