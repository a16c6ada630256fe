// The registry behaviour of the five operations, run against every backend.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"

namespace velomar {
namespace {

using testing::TempDir;

struct BackendKind {
    std::string label;
    // An empty store; `usable` false gives one that cannot be opened.
    std::function<std::unique_ptr<SettingsBackend>(const TempDir&, bool usable)> make;
};

const BackendKind kMemory{"Memory", [](const TempDir&, bool usable) {
                              auto backend = std::make_unique<MemorySettingsBackend>();
                              backend->setUnavailable(!usable);
                              return std::unique_ptr<SettingsBackend>(std::move(backend));
                          }};

const BackendKind kSqlite{
    "Sqlite", [](const TempDir& dir, bool usable) {
        if (!usable) {
            // A directory cannot be made below a regular file.
            testing::WriteBytes(dir / "plain", "x");
            return std::unique_ptr<SettingsBackend>(
                SqliteSettingsBackend::Open(dir / "plain" / "settings.db"));
        }
        return std::unique_ptr<SettingsBackend>(SqliteSettingsBackend::Open(dir / "settings.db"));
    }};

std::vector<std::byte> Utf16Bytes(std::u16string_view text, bool terminator) {
    std::vector<std::byte> bytes;
    for (char16_t c : text) {
        bytes.push_back(std::byte(c & 0xFF));
        bytes.push_back(std::byte(c >> 8));
    }
    if (terminator) {
        bytes.insert(bytes.end(), 2, std::byte{0});
    }
    return bytes;
}

std::vector<std::byte> Bytes(std::initializer_list<unsigned> values) {
    std::vector<std::byte> bytes;
    for (unsigned v : values) {
        bytes.push_back(std::byte(v));
    }
    return bytes;
}

// ---- Reading what is stored: one row per stored value and way of reading it ---------

struct StoredRaw {
    std::uint32_t type;
    std::vector<std::byte> data;
};

struct ReadCase {
    std::string label;
    std::optional<StoredRaw> stored;  // nothing: the value is missing
    std::size_t textCapacity;         // 0: read as a number
    bool expectOk;
    std::uint32_t expectNumber = 0;
    std::u16string expectText = {};  // the buffer up to its first terminator
};

constexpr std::uint32_t kText = 1;
constexpr std::uint32_t kNumber = 4;

const std::u16string k19 = u"가나다라마바사아자차카타파하가나다라마";  // 19 units
const std::u16string k20 = k19 + u"X";

std::vector<ReadCase> ReadCases() {
    return {
        {"MissingNumberReadsZero", std::nullopt, 0, false, 0},
        {"MissingTextLeavesBuffer", std::nullopt, 20, false, 0, std::u16string(19, u'p')},
        {"Text19UnitsComesBackWhole", StoredRaw{kText, Utf16Bytes(k19, true)}, 20, true, 0, k19},
        {"Text20UnitsDoesNotFit", StoredRaw{kText, Utf16Bytes(k20, true)}, 20, false, 0,
         std::u16string(19, u'p')},
        {"TextOneUnitTooBigForBuffer", StoredRaw{kText, Utf16Bytes(u"서울역", true)}, 3, false, 0,
         u"pp"},
        {"TextExactlyFillingBuffer", StoredRaw{kText, Utf16Bytes(u"서울역", true)}, 4, true, 0,
         u"서울역"},
        {"EmptyText", StoredRaw{kText, Utf16Bytes(u"", true)}, 20, true, 0, u""},
        {"TwoCharacterTextAsNumberFails", StoredRaw{kText, Utf16Bytes(u"14", true)}, 0, false, 0},
        {"OneCharacterTextAsNumberIsItsCode", StoredRaw{kText, Utf16Bytes(u"A", true)}, 0, true,
         0x41},
        {"NumberOfThreeBytesFails", StoredRaw{kNumber, Bytes({9, 0, 0})}, 0, false, 0},
        {"NumberOfFiveBytesFails", StoredRaw{kNumber, Bytes({9, 0, 0, 0, 0})}, 0, false, 0},
        {"NumberOfEightBytesFails", StoredRaw{kNumber, Bytes({9, 0, 0, 0, 0, 0, 0, 0})}, 0, false,
         0},
        {"NumberLittleEndian", StoredRaw{kNumber, Bytes({0x78, 0x56, 0x34, 0x12})}, 0, true,
         0x12345678},
        {"NumberOfAnyTypeWithFourBytes", StoredRaw{3, Bytes({0xFF, 0xFF, 0xFF, 0xFF})}, 0, true,
         0xFFFFFFFF},
        // Any stored type reads as text: the number's bytes are the units 'A', 'B'.
        {"NumberReadAsText", StoredRaw{kNumber, Bytes({0x41, 0, 0x42, 0})}, 20, true, 0,
         u"AB" + std::u16string(17, u'p')},
    };
}

class SettingsRead : public ::testing::TestWithParam<std::tuple<BackendKind, ReadCase>> {};

TEST_P(SettingsRead, BehavesAsTheRegistry) {
    const auto& [kind, c] = GetParam();
    TempDir dir;
    auto store = kind.make(dir, true);
    if (c.stored) {
        auto key = store->openKey(kSettingsRoot, kSettingsKeyPath,
                                  SettingsBackend::OpenMode::CreateForWrite);
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->set(u"Value", c.stored->type, c.stored->data));
    }
    if (c.textCapacity == 0) {
        std::uint32_t number = 7;
        EXPECT_EQ(ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Value", &number),
                  c.expectOk);
        EXPECT_EQ(number, c.expectNumber);
        return;
    }
    std::u16string buffer(c.textCapacity, u'p');
    EXPECT_EQ(ReadTextSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Value", buffer.data(),
                              c.textCapacity),
              c.expectOk);
    EXPECT_EQ(buffer[c.textCapacity - 1], u'\0') << "the last unit is always the terminator";
    EXPECT_EQ(std::u16string(buffer.c_str()), c.expectText);
}

std::string BackendName(const BackendKind& kind) {
    return kind.label;
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsRead,
                         ::testing::Combine(::testing::Values(kMemory, kSqlite),
                                            ::testing::ValuesIn(ReadCases())),
                         [](const auto& info) {
                             return BackendName(std::get<0>(info.param)) + "_" +
                                    std::get<1>(info.param).label;
                         });

// ---- Writing, deleting, names -------------------------------------------------------

class SettingsOps : public ::testing::TestWithParam<BackendKind> {
  protected:
    void SetUp() override { m_store = GetParam().make(m_dir, true); }

    bool keyExists() {
        return m_store->openKey(kSettingsRoot, kSettingsKeyPath,
                                SettingsBackend::OpenMode::Existing) != nullptr;
    }
    std::optional<std::uint32_t> number(std::u16string_view name) {
        std::uint32_t value = 0;
        if (!ReadNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, name, &value)) {
            return std::nullopt;
        }
        return value;
    }

    TempDir m_dir;
    std::unique_ptr<SettingsBackend> m_store;
};

TEST_P(SettingsOps, WrittenValuesReadBack) {
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName,
                                   kFirstRunMarker));
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"Big", 0xFFFFFFFF));
    ASSERT_TRUE(
        WriteTextSetting(*m_store, kSettingsRoot, kSettingsKeyPath, kStartStationName, u"서울"));
    EXPECT_EQ(number(kFirstRunMarkerName), kFirstRunMarker);
    EXPECT_EQ(number(u"Big"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadStationText(*m_store, kStartStationName), u"서울");

    // Rewriting replaces type and data.
    ASSERT_TRUE(WriteTextSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"Big", u"x"));
    EXPECT_EQ(ReadStationText(*m_store, u"Big"), u"x");
}

TEST_P(SettingsOps, TextIsStoredAsUtf16WithTerminator) {
    ASSERT_TRUE(WriteTextSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"T", u"대"));
    auto key =
        m_store->openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing);
    ASSERT_TRUE(key);
    const auto values = key->values();
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].type, 1u);
    EXPECT_EQ(values[0].data, Utf16Bytes(u"대", true));
}

TEST_P(SettingsOps, NamesDifferingOnlyInCaseAreOneValue) {
    ASSERT_TRUE(
        WriteTextSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"StartStation", u"서울"));
    ASSERT_TRUE(
        WriteTextSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"STARTSTATION", u"부산"));
    EXPECT_EQ(ReadStationText(*m_store, u"startstation"), u"부산");
    // The key path too compares without case.
    char16_t buffer[20] = {};
    EXPECT_TRUE(
        ReadTextSetting(*m_store, kSettingsRoot, u"SOFTWARE\\ondrel", u"StartStation", buffer, 20));
    EXPECT_EQ(std::u16string(buffer), u"부산");

    auto key =
        m_store->openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing);
    ASSERT_TRUE(key);
    const auto values = key->values();
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, u"StartStation") << "the first spelling stays";

    EXPECT_TRUE(DeleteSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"startSTATION"));
    EXPECT_FALSE(ReadStationText(*m_store, u"StartStation"));
}

TEST_P(SettingsOps, OnlyAsciiLettersFoldCase) {
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"Ä", 1));
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"ä", 2));
    EXPECT_EQ(number(u"Ä"), 1u);
    EXPECT_EQ(number(u"ä"), 2u);
}

TEST_P(SettingsOps, DeleteOfMissingValueFailsAndChangesNothing) {
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"FS0", 3));
    EXPECT_FALSE(DeleteSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"FS1"));
    EXPECT_EQ(number(u"FS0"), 3u);
    EXPECT_TRUE(DeleteSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"FS0"));
    EXPECT_FALSE(number(u"FS0"));
    EXPECT_FALSE(DeleteSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"FS0"));
}

TEST_P(SettingsOps, DeleteDoesNotCreateTheKey) {
    EXPECT_FALSE(keyExists());
    EXPECT_FALSE(DeleteSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"FS0"));
    EXPECT_FALSE(keyExists());
}

TEST_P(SettingsOps, ReadsCreateTheKey) {
    std::uint32_t value = 5;
    EXPECT_FALSE(ReadNumberSetting(*m_store, kSettingsRoot, kSettingsKeyPath, u"X", &value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(keyExists());
}

TEST_P(SettingsOps, KeysAreSeparate) {
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, u"Software\\Other", u"X", 1));
    EXPECT_FALSE(number(u"X"));
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsOps, ::testing::Values(kMemory, kSqlite),
                         [](const auto& info) { return BackendName(info.param); });

// ---- A store that cannot be opened ---------------------------------------------------

class UnopenableSettings : public ::testing::TestWithParam<BackendKind> {};

TEST_P(UnopenableSettings, EveryOperationFailsAndOutputsStayUntouched) {
    TempDir dir;
    auto store = GetParam().make(dir, false);
    std::uint32_t number = 7;  // the search's fallback survives
    EXPECT_FALSE(
        ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &number));
    EXPECT_EQ(number, 7u);
    std::u16string buffer(20, u'p');
    EXPECT_FALSE(ReadTextSetting(*store, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                                 buffer.data(), buffer.size()));
    EXPECT_EQ(buffer, std::u16string(20, u'p')) << "the buffer is untouched, terminator too";
    EXPECT_FALSE(WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"X", 1));
    EXPECT_FALSE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, u"X", u"y"));
    EXPECT_FALSE(DeleteSetting(*store, kSettingsRoot, kSettingsKeyPath, u"X"));
}

INSTANTIATE_TEST_SUITE_P(Backends, UnopenableSettings, ::testing::Values(kMemory, kSqlite),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace velomar
