// `velomar-cli settings` on a store it cannot read or that another program keeps locked: it
// says so and exits 1, and never reports a value as missing that is there.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/cli_run.h"
#include "support/sqlite_store_faults.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;
using testing_support::CorruptValueIndex;
using testing_support::HideLastIndexEntry;
using testing_support::StoredRowsOf;
using testing_support::StoreLockHolder;

using testing_support::CliRun;

CliRun Settings(const fs::path& store, std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", store.string(), "settings"});
    return testing_support::RunCliCaptured(args);
}

class CliSettingsFaults : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root =
            fs::temp_directory_path() / ("velomar_settings_faults_" + std::to_string(random()));
        fs::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    // 23 values: FS0-FS10, FE0-FE10 and ResultCount.
    fs::path seeded(const std::string& name) {
        const fs::path file = m_root / name;
        for (int i = 0; i <= 10; ++i) {
            EXPECT_EQ(Settings(file, {"set", "FS" + std::to_string(i), "--text", "문산"}).status,
                      0);
            EXPECT_EQ(Settings(file, {"set", "FE" + std::to_string(i), "--text", "도라산"}).status,
                      0);
        }
        EXPECT_EQ(Settings(file, {"set", "ResultCount", "--number", "7"}).status, 0);
        return file;
    }
    fs::path m_root;
};

TEST_F(CliSettingsFaults, ADamagedStoreIsReportedNotTakenForMissingValues) {
    const fs::path file = seeded("settings.sqlite3");
    const auto before = StoredRowsOf(file);
    ASSERT_TRUE(CorruptValueIndex(file));
    const std::string unread = "velomar-cli settings: the settings store " + file.string() +
                               " could not be read (database disk image is malformed)\n";

    const CliRun list = Settings(file, {"list"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.out, "") << "not a part of the values passed off as all";
    EXPECT_EQ(list.err, unread);

    for (const char* name : {"FS5", "ResultCount"}) {
        const CliRun get = Settings(file, {"get", name});
        EXPECT_EQ(get.status, 1);
        EXPECT_EQ(get.out, "");
        EXPECT_EQ(get.err, unread) << name;
    }
    // Nor is a value missing from such a store: the index cannot tell.
    EXPECT_EQ(Settings(file, {"get", "Nope"}).err, unread);
    const CliRun del = Settings(file, {"delete", "FS5"});
    EXPECT_EQ(del.status, 1);
    EXPECT_EQ(del.err.find("no value named"), std::string::npos) << del.err;
    EXPECT_EQ(StoredRowsOf(file), before);
}

// An index entry that names another key hides its value, here the first start's marker,
// with no error from SQLite. A search without stations must not take the store for a first
// start and store the built-in pair over the user's.
TEST_F(CliSettingsFaults, AStoreWhoseIndexHidesAValueIsNeitherReadNorWritten) {
    const fs::path file = seeded("settings.sqlite3");
    ASSERT_EQ(Settings(file, {"set", "StartStation", "--text", "문산"}).status, 0);
    ASSERT_EQ(Settings(file, {"set", "Velomar", "--number", "1020"}).status, 0);
    const auto before = StoredRowsOf(file);
    ASSERT_TRUE(HideLastIndexEntry(file));
    const std::string unread = "the settings store " + file.string() +
                               " could not be read (database disk image is malformed)";

    const CliRun list = Settings(file, {"list"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.err, "velomar-cli settings: " + unread + "\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli({"--settings", file.string(), "search"}, out, err), 1);
    EXPECT_EQ(err.str(), "velomar-cli search: the stored stations cannot be read: " + unread +
                             "; give FROM and TO\n");
    EXPECT_EQ(StoredRowsOf(file), before);
}

// Two stores, each kept locked by another program for longer than the busy timeout, one so
// that nobody may read it, one so that nobody may write it; the commands run side by side.
TEST_F(CliSettingsFaults, AStoreLockedByAnotherProgramIsBusy) {
    const fs::path closed = seeded("closed.sqlite3");
    const fs::path readOnly = seeded("read_only.sqlite3");
    const auto closedBefore = StoredRowsOf(closed);
    const auto readOnlyBefore = StoredRowsOf(readOnly);
    StoreLockHolder exclusive(closed, "BEGIN EXCLUSIVE");
    StoreLockHolder immediate(readOnly, "BEGIN IMMEDIATE");
    ASSERT_TRUE(exclusive.hold());
    ASSERT_TRUE(immediate.hold());

    const auto later = [](const fs::path& file, std::vector<std::string> args) {
        return std::async(std::launch::async, [file, args] { return Settings(file, args); });
    };
    auto list = later(closed, {"list"});
    auto get = later(closed, {"get", "FS0"});
    auto del = later(readOnly, {"delete", "FS0"});
    auto set = later(readOnly, {"set", "FS0", "--text", "부산"});
    auto read = later(readOnly, {"get", "FS0"});

    const std::string busy = " is busy: another program has kept it locked for more than 5 s\n";
    const std::string closedBusy =
        "velomar-cli settings: the settings store " + closed.string() + busy;
    for (auto* run : {&list, &get}) {
        const CliRun r = run->get();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, closedBusy);
    }
    const CliRun deleted = del.get();
    EXPECT_EQ(deleted.status, 1);
    EXPECT_EQ(deleted.err, "velomar-cli settings: could not delete 'FS0': the settings store " +
                               readOnly.string() + busy);
    const CliRun stored = set.get();
    EXPECT_EQ(stored.status, 1);
    EXPECT_EQ(stored.err, "velomar-cli settings: could not store 'FS0': the settings store " +
                              readOnly.string() + busy);
    const CliRun readBack = read.get();
    EXPECT_EQ(readBack.status, 0) << readBack.err;
    EXPECT_EQ(readBack.out, "문산\n");

    exclusive.release();
    immediate.release();
    EXPECT_EQ(StoredRowsOf(closed), closedBefore);
    EXPECT_EQ(StoredRowsOf(readOnly), readOnlyBefore);
    EXPECT_EQ(Settings(readOnly, {"delete", "FS0"}).status, 0);
}

// `search` over a store another program keeps locked past the busy timeout. Without FROM and
// TO it is a search for the stored pair, which cannot be read: it fails instead of searching
// the built-in pair. With them it searches, says once that the settings were not read and
// that the stations were not stored, and no stored value changes.
TEST_F(CliSettingsFaults, SearchOverALockedStoreNeitherGuessesNorOverwrites) {
    const fs::path data = m_root / "data";
    fs::create_directories(data / "TimeData");
    std::ofstream(data / "TimeData" / "DownData_06.txt", std::ios::binary)
        << "TYPE\t0000\t/\r\nTRNO\t0101\t/\r\n0401\t0710\t/\r\n0403\t0740\t/\r\n=";
    // One store nobody may read, one nobody may write.
    const fs::path closed = m_root / "closed.sqlite3";
    const fs::path readOnly = m_root / "read_only.sqlite3";
    for (const fs::path& file : {closed, readOnly}) {
        EXPECT_EQ(Settings(file, {"set", "Velomar", "--number", "1020"}).status, 0);
        EXPECT_EQ(Settings(file, {"set", "StartStation", "--text", "용산"}).status, 0);
        EXPECT_EQ(Settings(file, {"set", "EndStation", "--text", "목포"}).status, 0);
    }
    const auto closedBefore = StoredRowsOf(closed);
    const auto readOnlyBefore = StoredRowsOf(readOnly);
    StoreLockHolder exclusive(closed, "BEGIN EXCLUSIVE");
    StoreLockHolder immediate(readOnly, "BEGIN IMMEDIATE");
    ASSERT_TRUE(exclusive.hold());
    ASSERT_TRUE(immediate.hold());

    const auto search = [&](const fs::path& file, std::vector<std::string> args) {
        return std::async(std::launch::async, [&data, file, args] {
            std::vector<std::string> all = {"--data", data.string(), "--settings", file.string(),
                                            "search"};
            all.insert(all.end(), args.begin(), args.end());
            std::ostringstream out;
            std::ostringstream err;
            const int status = RunCli(all, out, err);
            return CliRun{status, out.str(), err.str()};
        });
    };
    const std::vector<std::string> pair = {"문산", "도라산", "--time", "07:00", "--format", "tsv"};
    auto storedClosed = search(closed, {"--format", "tsv"});
    auto storedReadOnly = search(readOnly, {"--format", "tsv"});
    auto givenClosed = search(closed, pair);
    auto givenReadOnly = search(readOnly, pair);

    const auto busy = [](const fs::path& file) {
        return "the settings store " + file.string() +
               " is busy: another program has kept it locked for more than 5 s";
    };
    for (auto [run, file] : {std::pair{&storedClosed, closed}, {&storedReadOnly, readOnly}}) {
        const CliRun r = run->get();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "velomar-cli search: the stored stations cannot be read: " + busy(file) +
                             "; give FROM and TO\n");
    }
    const CliRun c = givenClosed.get();
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.out.substr(0, 5), "0101\t");
    EXPECT_EQ(c.err, "velomar-cli search: " + busy(closed) + "; the stations are not remembered\n");
    const CliRun r = givenReadOnly.get();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 5), "0101\t");
    EXPECT_EQ(r.err, "velomar-cli search: " + busy(readOnly) +
                         "; the settings were not read, this run uses the built-in ones\n"
                         "velomar-cli search: could not store the stations: " +
                         busy(readOnly) + "\n");
    exclusive.release();
    immediate.release();
    EXPECT_EQ(StoredRowsOf(closed), closedBefore);
    EXPECT_EQ(StoredRowsOf(readOnly), readOnlyBefore);
}

}  // namespace
}  // namespace velomar::cli
