#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"

namespace velomar::cli {
namespace {

struct SettingsRun {
    int status;
    std::string out;
    std::string err;
};

class CliSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("velomar_cli_settings_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_file = m_dir / "sub" / "settings.sqlite3";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    SettingsRun run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings", m_file.string(), "settings"});
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCli(args, out, err);
        return {status, out.str(), err.str()};
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_file;
};

TEST_F(CliSettings, SetGetListDelete) {
    EXPECT_EQ(run({"list"}).out, "");
    EXPECT_EQ(run({"set", "--number", "ResultCount", "14"}).status, 0);
    EXPECT_EQ(run({"set", "--text", "StartStation", "서울"}).status, 0);
    EXPECT_EQ(run({"set", "--text", "startstation", "부산"}).status, 0);
    EXPECT_EQ(run({"set", "--number", "Big", "4294967295"}).status, 0);
    EXPECT_EQ(run({"set", "--text", "Empty", ""}).status, 0);

    const SettingsRun list = run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out,
              "Big\tnumber\t4294967295\n"
              "Empty\ttext\t\n"
              "ResultCount\tnumber\t14\n"
              "StartStation\ttext\t부산\n");

    EXPECT_EQ(run({"get", "RESULTCOUNT"}).out, "14\n");
    EXPECT_EQ(run({"get", "StartStation"}).out, "부산\n");
    EXPECT_EQ(run({"get", "Empty"}).out, "\n");

    EXPECT_EQ(run({"delete", "resultcount"}).status, 0);
    const SettingsRun missing = run({"get", "ResultCount"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("ResultCount"), std::string::npos) << missing.err;
    EXPECT_EQ(run({"delete", "ResultCount"}).status, 1);
}

TEST_F(CliSettings, LongTextsComeBackWhole) {
    // Longer than the program's 20-character room: the command reads with room to spare.
    const std::string longText = "가나다라마바사아자차카타파하가나다라마바사아자";
    ASSERT_EQ(run({"set", "--text", "Long", longText}).status, 0);
    EXPECT_EQ(run({"get", "Long"}).out, longText + "\n");
}

TEST_F(CliSettings, RejectsBadNumbersAndUsage) {
    for (const std::string bad : {"-1", "4294967296", "12a", "", "0x10", "+5", " 5"}) {
        SCOPED_TRACE(bad);
        const SettingsRun r = run({"set", "--number", "X", bad});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("is not a number"), std::string::npos) << r.err;
    }
    EXPECT_EQ(run({"set", "X", "1"}).status, 2);
    EXPECT_EQ(run({"set", "--text", "--number", "X", "1"}).status, 2);
    EXPECT_EQ(run({"set", "--text", "X"}).status, 2);
    EXPECT_EQ(run({"get"}).status, 2);
    EXPECT_EQ(run({"list", "extra"}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"set", "--text", "X", "\xff"}).status, 2);
    EXPECT_EQ(run({"get", "\xc0\x80"}).status, 2);
    // Nothing was written by any of them.
    EXPECT_EQ(run({"list"}).out, "");
}

TEST_F(CliSettings, OtherTypesAreShownByCodeAndBytes) {
    {
        auto store = SqliteSettingsBackend::Open(m_file);
        auto key = store->openKey(kSettingsRoot, kSettingsKeyPath,
                                  SettingsBackend::OpenMode::CreateForWrite);
        ASSERT_TRUE(key);
        const std::byte bytes[] = {std::byte{0x01}, std::byte{0xAB}, std::byte{0x03}};
        ASSERT_TRUE(key->set(u"Raw", 3, bytes));
        ASSERT_TRUE(key->set(u"Short", 4, bytes));
    }
    // A text where a number is expected is still a text.
    ASSERT_EQ(run({"set", "--text", "ResultCount", "14"}).status, 0);
    EXPECT_EQ(run({"list"}).out,
              "Raw\ttype 3\t01ab03\n"
              "ResultCount\ttext\t14\n"
              "Short\ttype 4\t01ab03\n");
    EXPECT_EQ(run({"get", "ResultCount"}).out, "14\n");
    const SettingsRun raw = run({"get", "Raw"});
    EXPECT_EQ(raw.status, 1);
    EXPECT_NE(raw.err.find("type 3"), std::string::npos) << raw.err;
    EXPECT_EQ(run({"get", "Short"}).status, 1);
}

TEST_F(CliSettings, BrokenFileIsMovedAsideWithOneMessage) {
    std::filesystem::create_directories(m_file.parent_path());
    std::ofstream(m_file) << "not a database\n";
    const SettingsRun r = run({"set", "--number", "X", "3"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("was not usable; moved it to " + m_file.string() + ".broken-"),
              std::string::npos)
        << r.err;
    const SettingsRun again = run({"get", "X"});
    EXPECT_EQ(again.out, "3\n");
    EXPECT_EQ(again.err, "");
}

TEST_F(CliSettings, UnopenableStoreFailsClearly) {
    std::ofstream(m_dir / "plain") << "x";
    m_file = m_dir / "plain" / "settings.sqlite3";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"list"}, {"get", "X"}, {"set", "--number", "X", "1"}, {"delete", "X"}}) {
        const SettingsRun r = run(args);
        EXPECT_EQ(r.status, 1) << args.front();
        EXPECT_NE(r.err.find("cannot be opened"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace velomar::cli
