// The five operations' statuses: a missing value, a value that does not fit and a store that
// cannot answer are told apart, while the bool forms and their outputs stay as they were.
// Faults come from the fault-injection backend, on the in-memory and on the SQLite store.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"
#include "support/faulty_settings.h"

namespace velomar {
namespace {

using testing::TempDir;
using testing_support::FaultySettingsBackend;
using testing_support::SettingsStep;
using Step = SettingsStep;
using Status = SettingsStatus;

using Values = std::map<std::u16string, std::vector<std::byte>>;

Values ValuesOf(SettingsBackend& store) {
    std::vector<StoredValue> all;
    EXPECT_EQ(TryListSettings(store, kSettingsRoot, kSettingsKeyPath, all), Status::Ok);
    Values values;
    for (const StoredValue& value : all) {
        values[FoldNameCase(value.name)] = value.data;
    }
    return values;
}

// A store seeded with FS0 = 문산, ResultCount = 7 and a number of 3 bytes, "Short".
struct Seeded {
    TempDir dir;
    std::unique_ptr<SettingsBackend> inner;
    std::unique_ptr<FaultySettingsBackend> store;
    Values before;

    explicit Seeded(bool sqlite) {
        if (sqlite) {
            inner = SqliteSettingsBackend::Open(dir / "settings.sqlite3");
        } else {
            inner = std::make_unique<MemorySettingsBackend>();
        }
        EXPECT_TRUE(WriteTextSetting(*inner, kSettingsRoot, kSettingsKeyPath, u"FS0", u"문산"));
        EXPECT_TRUE(WriteNumberSetting(*inner, kSettingsRoot, kSettingsKeyPath, u"ResultCount", 7));
        const std::byte three[3] = {};
        inner->openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::CreateForWrite)
            ->set(u"Short", 4, three);
        before = ValuesOf(*inner);
        store = std::make_unique<FaultySettingsBackend>(*inner, !sqlite);
    }
};

// One operation: its status, what the bool form says, and the output it leaves.
struct Outcome {
    Status status;
    std::u16string output;  // text read, or the number as decimal digits; "-" when untouched
};

using Operation = std::function<Outcome(SettingsBackend&)>;

Operation ReadNumber(std::u16string name) {
    return [name](SettingsBackend& store) {
        std::uint32_t out = 12345;
        const Status status =
            TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, name, &out);
        std::uint32_t again = 12345;
        EXPECT_EQ(ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, name, &again),
                  status == Status::Ok);
        EXPECT_EQ(again, out) << "the bool form leaves the same output";
        const std::string digits = std::to_string(out);
        return Outcome{status, out == 12345 ? u"-" : std::u16string(digits.begin(), digits.end())};
    };
}

Operation ReadText(std::u16string name, std::size_t room) {
    return [name, room](SettingsBackend& store) {
        std::u16string buffer(room, u'#');
        const Status status =
            TryReadTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, buffer.data(), room);
        return Outcome{status, buffer.c_str()};
    };
}

Operation WriteNumber(std::u16string name) {
    return [name](SettingsBackend& store) {
        return Outcome{TryWriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, name, 99),
                       u""};
    };
}

Operation WriteText(std::u16string name) {
    return [name](SettingsBackend& store) {
        return Outcome{TryWriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, u"부산"),
                       u""};
    };
}

Operation Delete(std::u16string name) {
    return [name](SettingsBackend& store) {
        return Outcome{TryDeleteSetting(store, kSettingsRoot, kSettingsKeyPath, name), u""};
    };
}

Operation List() {
    return [](SettingsBackend& store) {
        std::vector<StoredValue> values(1);
        const Status status = TryListSettings(store, kSettingsRoot, kSettingsKeyPath, values);
        return Outcome{status, std::u16string(1, static_cast<char16_t>(u'0' + values.size()))};
    };
}

struct StatusCase {
    const char* label;
    Operation operation;
    std::optional<Step> fault;  // the step made to fail, with `why`
    Status why;
    Outcome expected;
    bool changes;  // the operation changes the store when it succeeds
};

class OperationStatus : public ::testing::TestWithParam<std::tuple<StatusCase, bool>> {};

TEST_P(OperationStatus, TellsWhyAndChangesNothingWhenItFails) {
    const auto& [c, sqlite] = GetParam();
    Seeded s(sqlite);
    if (c.fault) {
        s.store->failAlways(*c.fault, c.why);
    }
    const Outcome got = c.operation(*s.store);
    EXPECT_EQ(got.status, c.expected.status) << SettingsStatusName(got.status);
    EXPECT_EQ(got.output, c.expected.output);
    if (got.status != Status::Ok || !c.changes) {
        EXPECT_TRUE(ValuesOf(*s.inner) == s.before) << "a failed operation stored something";
    }
}

const StatusCase kCases[] = {
    {"read_number_ok", ReadNumber(u"ResultCount"), {}, Status::Ok, {Status::Ok, u"7"}, false},
    {"read_number_missing", ReadNumber(u"Nope"), {}, Status::Ok, {Status::Missing, u"0"}, false},
    {"read_number_of_three_bytes",
     ReadNumber(u"Short"),
     {},
     Status::Ok,
     {Status::Mismatch, u"0"},
     false},
    {"read_number_of_a_text", ReadNumber(u"FS0"), {}, Status::Ok, {Status::Mismatch, u"0"}, false},
    // A key that cannot be opened leaves the output alone; a failed query zeroes it.
    {"read_number_open_busy",
     ReadNumber(u"ResultCount"),
     Step::OpenKey,
     Status::Busy,
     {Status::Busy, u"-"},
     false},
    {"read_number_query_busy",
     ReadNumber(u"ResultCount"),
     Step::Query,
     Status::Busy,
     {Status::Busy, u"0"},
     false},
    {"read_number_query_failed",
     ReadNumber(u"ResultCount"),
     Step::Query,
     Status::Failed,
     {Status::Failed, u"0"},
     false},
    {"read_text_ok", ReadText(u"FS0", 20), {}, Status::Ok, {Status::Ok, u"문산"}, false},
    {"read_text_too_small", ReadText(u"FS0", 2), {}, Status::Ok, {Status::Mismatch, u"#"}, false},
    {"read_text_missing",
     ReadText(u"FS9", 20),
     {},
     Status::Ok,
     {Status::Missing, u"###################"},
     false},
    {"read_text_query_failed",
     ReadText(u"FS0", 20),
     Step::Query,
     Status::Failed,
     {Status::Failed, u"###################"},
     false},
    {"write_number_set_busy",
     WriteNumber(u"ResultCount"),
     Step::Set,
     Status::Busy,
     {Status::Busy, u""},
     true},
    {"write_text_open_failed",
     WriteText(u"FS0"),
     Step::OpenKey,
     Status::Failed,
     {Status::Failed, u""},
     true},
    {"write_text_ok", WriteText(u"FS1"), {}, Status::Ok, {Status::Ok, u""}, true},
    {"delete_ok", Delete(u"FS0"), {}, Status::Ok, {Status::Ok, u""}, true},
    {"delete_missing", Delete(u"FS9"), {}, Status::Ok, {Status::Missing, u""}, true},
    // A busy store is not a missing value.
    {"delete_remove_busy", Delete(u"FS0"), Step::Remove, Status::Busy, {Status::Busy, u""}, true},
    {"delete_open_busy", Delete(u"FS0"), Step::OpenKey, Status::Busy, {Status::Busy, u""}, true},
    {"list_ok", List(), {}, Status::Ok, {Status::Ok, u"3"}, false},
    {"list_values_failed", List(), Step::Values, Status::Failed, {Status::Failed, u"0"}, false},
    {"list_open_busy", List(), Step::OpenKey, Status::Busy, {Status::Busy, u"0"}, false},
};

INSTANTIATE_TEST_SUITE_P(Faults, OperationStatus,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).label) +
                                    (std::get<1>(info.param) ? "_Sqlite" : "_Memory");
                         });

class TransactionStatus : public ::testing::TestWithParam<bool> {};

TEST_P(TransactionStatus, ABusyBeginIsVisibleAndNothingIsStored) {
    Seeded s(GetParam());
    s.store->failOn(Step::Begin, Status::Busy);
    {
        SettingsTransaction transaction(*s.store);
        EXPECT_FALSE(transaction.active());
        EXPECT_EQ(transaction.beginStatus(), Status::Busy);
        EXPECT_EQ(transaction.tryCommit(), Status::Busy);
    }
    EXPECT_TRUE(ValuesOf(*s.inner) == s.before);
}

TEST_P(TransactionStatus, AFailedCommitStoresNoneOfTheChanges) {
    Seeded s(GetParam());
    s.store->failOn(Step::Commit, Status::Failed);
    SettingsTransaction transaction(*s.store);
    ASSERT_TRUE(transaction.active());
    EXPECT_EQ(transaction.beginStatus(), Status::Ok);
    ASSERT_TRUE(WriteTextSetting(*s.store, kSettingsRoot, kSettingsKeyPath, u"FS0", u"부산"));
    ASSERT_TRUE(DeleteSetting(*s.store, kSettingsRoot, kSettingsKeyPath, u"ResultCount"));
    EXPECT_EQ(transaction.tryCommit(), Status::Failed);
    EXPECT_TRUE(ValuesOf(*s.inner) == s.before);
}

// A read that fails inside the step must not be taken for a missing number and overwritten.
TEST_P(TransactionStatus, UpdateStopsWhenItsReadFails) {
    Seeded s(GetParam());
    s.store->failOn(Step::Query, Status::Failed);
    std::uint32_t result = 5;
    EXPECT_FALSE(UpdateNumberSetting(
        *s.store, kSettingsRoot, kSettingsKeyPath, u"ResultCount",
        [](std::uint32_t v) { return v + 1; }, &result));
    EXPECT_EQ(result, 5u);
    EXPECT_TRUE(ValuesOf(*s.inner) == s.before);
    EXPECT_TRUE(UpdateNumberSetting(
        *s.store, kSettingsRoot, kSettingsKeyPath, u"ResultCount",
        [](std::uint32_t v) { return v + 1; }, &result));
    EXPECT_EQ(result, 8u);
}

INSTANTIATE_TEST_SUITE_P(Backends, TransactionStatus, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Sqlite" : "Memory"; });

// The wrapper records every step, so a test can pin the order of reads and writes.
TEST(FaultySettings, RecordsTheStepsInOrder) {
    MemorySettingsBackend memory;
    FaultySettingsBackend store(memory, true);
    store.failOn(Step::Set, Status::Busy, 2);
    {
        SettingsTransaction transaction(store);
        WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, u"A", 1);
        WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, u"B", 2);
    }
    const std::vector<std::string> expected = {"begin", "open",        "set A",
                                               "open",  "set B !busy", "rollback"};
    EXPECT_EQ(store.log(), expected);
    EXPECT_FALSE(ReadNumberSetting(memory, kSettingsRoot, kSettingsKeyPath, u"A",
                                   std::make_unique<std::uint32_t>().get()))
        << "the rollback took A back";
}

}  // namespace
}  // namespace velomar
