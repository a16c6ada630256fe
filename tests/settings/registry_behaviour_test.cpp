// How the five settings operations behave, as the per-user registry does. The same cases run
// against every backend: each build links one definition of backend_under_test.h. Keep this
// file free of POSIX and Qt so that it also builds for Windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backend_under_test.h"
#include "settings/settings_store.h"

namespace velomar {
namespace {

using testing::BackendUnderTestName;
using testing::KeyUnderTest;

constexpr std::uint32_t kText = 1;
constexpr std::uint32_t kNumber = 4;
constexpr std::uint32_t kBinary = 3;

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

std::u16string UpperAscii(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return upper;
}

// A valid test name part: letters and digits only.
std::string CaseName(const ::testing::TestInfo* info) {
    std::string name = info != nullptr ? info->name() : "case";
    for (char& c : name) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain) {
            c = '_';
        }
    }
    return name;
}

// One store per case, on the scratch key; everything it left is removed afterwards.
class StoreCase {
  protected:
    void makeStore() {
        m_key = KeyUnderTest(u"Ondrel");
        m_store = testing::MakeBackendUnderTest(
            CaseName(::testing::UnitTest::GetInstance()->current_test_info()));
        ASSERT_TRUE(m_store);
    }
    void dropStore() {
        m_store.reset();
        testing::CleanUpBackendUnderTest();
    }

    std::unique_ptr<SettingsKey> open(SettingsBackend::OpenMode mode) {
        return m_store->openKey(kSettingsRoot, m_key, mode);
    }
    bool keyExists() { return open(SettingsBackend::OpenMode::Existing) != nullptr; }
    std::optional<std::uint32_t> number(std::u16string_view name) {
        std::uint32_t value = 0;
        if (!ReadNumberSetting(*m_store, kSettingsRoot, m_key, name, &value)) {
            return std::nullopt;
        }
        return value;
    }
    // Read into the 20-unit room every reader of station texts gives.
    std::optional<std::u16string> station(std::u16string_view name) {
        char16_t buffer[kStationTextCapacity] = {};
        if (!ReadTextSetting(*m_store, kSettingsRoot, m_key, name, buffer, kStationTextCapacity)) {
            return std::nullopt;
        }
        return std::u16string(buffer);
    }
    bool writeNumber(std::u16string_view name, std::uint32_t value) {
        return WriteNumberSetting(*m_store, kSettingsRoot, m_key, name, value);
    }
    bool writeText(std::u16string_view name, std::u16string_view text) {
        return WriteTextSetting(*m_store, kSettingsRoot, m_key, name, text);
    }
    bool remove(std::u16string_view name) {
        return DeleteSetting(*m_store, kSettingsRoot, m_key, name);
    }
    std::vector<StoredValue> stored() {
        auto key = open(SettingsBackend::OpenMode::Existing);
        return key ? key->values() : std::vector<StoredValue>{};
    }

    std::unique_ptr<SettingsBackend> m_store;
    std::u16string m_key;
};

// ---- Reading what is stored: one row per stored value and way of reading it -------------

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

// Station texts get room for 20 units with the terminator: 19 come back whole.
const std::u16string k19 = u"가나다라마바사아자차카타파하가나다라마";
const std::u16string k20 = k19 + u"X";
// The reader fills its buffer with 'p' first, so untouched parts show.
const std::u16string kUntouched19(19, u'p');

std::vector<ReadCase> ReadCases() {
    return {
        {"MissingNumberReadsZero", std::nullopt, 0, false, 0},
        {"MissingTextLeavesBuffer", std::nullopt, 20, false, 0, kUntouched19},
        {"StationText19UnitsComesBackWhole", StoredRaw{kText, Utf16Bytes(k19, true)}, 20, true, 0,
         k19},
        {"StationText20UnitsDoesNotFit", StoredRaw{kText, Utf16Bytes(k20, true)}, 20, false, 0,
         kUntouched19},
        {"TextOneUnitTooBigForBuffer", StoredRaw{kText, Utf16Bytes(u"서울역", true)}, 3, false, 0,
         u"pp"},
        {"TextExactlyFillingBuffer", StoredRaw{kText, Utf16Bytes(u"서울역", true)}, 4, true, 0,
         u"서울역"},
        // Stored without its terminator the buffer's last unit still becomes one.
        {"TextWithoutTerminatorIsCutByTheBuffer", StoredRaw{kText, Utf16Bytes(u"서울역", false)}, 3,
         true, 0, u"서울"},
        {"EmptyText", StoredRaw{kText, Utf16Bytes(u"", true)}, 20, true, 0, u""},
        {"EmptyTextAsNumberFails", StoredRaw{kText, Utf16Bytes(u"", true)}, 0, false, 0},
        {"TwoCharacterTextAsNumberFails", StoredRaw{kText, Utf16Bytes(u"14", true)}, 0, false, 0},
        {"OneCharacterTextAsNumberIsItsCode", StoredRaw{kText, Utf16Bytes(u"A", true)}, 0, true,
         0x41},
        {"NumberOfThreeBytesFails", StoredRaw{kNumber, Bytes({9, 0, 0})}, 0, false, 0},
        {"NumberOfFiveBytesFails", StoredRaw{kNumber, Bytes({9, 0, 0, 0, 0})}, 0, false, 0},
        {"NumberOfEightBytesFails", StoredRaw{kNumber, Bytes({9, 0, 0, 0, 0, 0, 0, 0})}, 0, false,
         0},
        {"NumberLittleEndian", StoredRaw{kNumber, Bytes({0x78, 0x56, 0x34, 0x12})}, 0, true,
         0x12345678},
        {"NumberOfAnyTypeWithFourBytes", StoredRaw{kBinary, Bytes({0xFF, 0xFF, 0xFF, 0xFF})}, 0,
         true, 0xFFFFFFFF},
        // Any stored type reads as text: the number's bytes are the units 'A', 'B'.
        {"NumberReadAsText", StoredRaw{kNumber, Bytes({0x41, 0, 0x42, 0})}, 20, true, 0,
         u"AB" + std::u16string(17, u'p')},
        {"NumberReadAsTextTooSmall", StoredRaw{kNumber, Bytes({0x41, 0, 0x42, 0})}, 1, false, 0,
         u""},
    };
}

class RegistryRead : public StoreCase, public ::testing::TestWithParam<ReadCase> {
  protected:
    void SetUp() override { makeStore(); }
    void TearDown() override { dropStore(); }
};

TEST_P(RegistryRead, BehavesAsTheRegistry) {
    const ReadCase& c = GetParam();
    if (c.stored) {
        auto key = open(SettingsBackend::OpenMode::CreateForWrite);
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->set(u"Value", c.stored->type, c.stored->data));
    }
    if (c.textCapacity == 0) {
        std::uint32_t value = 7;
        EXPECT_EQ(ReadNumberSetting(*m_store, kSettingsRoot, m_key, u"Value", &value), c.expectOk);
        EXPECT_EQ(value, c.expectNumber);
        return;
    }
    std::u16string buffer(c.textCapacity, u'p');
    EXPECT_EQ(
        ReadTextSetting(*m_store, kSettingsRoot, m_key, u"Value", buffer.data(), c.textCapacity),
        c.expectOk);
    EXPECT_EQ(buffer[c.textCapacity - 1], u'\0') << "the last unit is always the terminator";
    EXPECT_EQ(std::u16string(buffer.c_str()), c.expectText);
}

INSTANTIATE_TEST_SUITE_P(Store, RegistryRead, ::testing::ValuesIn(ReadCases()),
                         [](const auto& info) {
                             return BackendUnderTestName() + "_" + info.param.label;
                         });

// ---- Writing, deleting, names, keys --------------------------------------------------------

// Parameterised on the backend's name only, so each build's tests have their own names.
class RegistryOps : public StoreCase, public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override { makeStore(); }
    void TearDown() override { dropStore(); }
};

TEST_P(RegistryOps, WrittenValuesReadBack) {
    ASSERT_TRUE(writeNumber(kFirstRunMarkerName, kFirstRunMarker));
    ASSERT_TRUE(writeNumber(u"Big", 0xFFFFFFFF));
    ASSERT_TRUE(writeNumber(u"Zero", 0));
    ASSERT_TRUE(writeText(kStartStationName, u"서울"));
    EXPECT_EQ(number(kFirstRunMarkerName), kFirstRunMarker);
    EXPECT_EQ(number(u"Big"), 0xFFFFFFFFu);
    EXPECT_EQ(number(u"Zero"), 0u);
    EXPECT_EQ(station(kStartStationName), u"서울");
}

TEST_P(RegistryOps, ValuesAreStoredWithRegistryTypesAndBytes) {
    ASSERT_TRUE(writeText(u"T", u"대"));
    ASSERT_TRUE(writeNumber(u"N", 0x01020304));
    const auto values = stored();
    ASSERT_EQ(values.size(), 2u);
    for (const StoredValue& value : values) {
        if (value.name == u"T") {
            EXPECT_EQ(value.type, kText);
            EXPECT_EQ(value.data, Utf16Bytes(u"대", true));
        } else {
            EXPECT_EQ(value.name, u"N");
            EXPECT_EQ(value.type, kNumber);
            EXPECT_EQ(value.data, Bytes({4, 3, 2, 1}));
        }
    }
}

TEST_P(RegistryOps, OverwriteChangesTheType) {
    ASSERT_TRUE(writeNumber(kResultCountName, 14));
    ASSERT_TRUE(writeText(kResultCountName, u"14"));
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0].type, kText);
    // Two characters and the terminator are six bytes: no number any more.
    EXPECT_EQ(number(kResultCountName), std::nullopt);
    EXPECT_EQ(station(kResultCountName), u"14");

    ASSERT_TRUE(writeNumber(kResultCountName, 9));
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0].type, kNumber);
    EXPECT_EQ(number(kResultCountName), 9u);
}

TEST_P(RegistryOps, ValueNamesCompareWithoutCase) {
    ASSERT_TRUE(writeText(u"StartStation", u"서울"));
    ASSERT_TRUE(writeText(u"STARTSTATION", u"부산"));
    EXPECT_EQ(station(u"startstation"), u"부산");
    const auto values = stored();
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, u"StartStation") << "the first spelling stays";

    ASSERT_TRUE(writeNumber(u"fs0", 1));
    EXPECT_EQ(number(u"FS0"), 1u);
    EXPECT_TRUE(remove(u"startSTATION"));
    EXPECT_EQ(station(u"StartStation"), std::nullopt);
    EXPECT_TRUE(remove(u"Fs0"));
    EXPECT_TRUE(stored().empty());
}

TEST_P(RegistryOps, KeyPathsCompareWithoutCase) {
    ASSERT_TRUE(writeText(kStartStationName, u"서울"));
    char16_t buffer[20] = {};
    EXPECT_TRUE(
        ReadTextSetting(*m_store, kSettingsRoot, UpperAscii(m_key), kStartStationName, buffer, 20));
    EXPECT_EQ(std::u16string(buffer), u"서울");
    EXPECT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, UpperAscii(m_key), u"N", 3));
    EXPECT_EQ(number(u"N"), 3u);
    EXPECT_TRUE(DeleteSetting(*m_store, kSettingsRoot, UpperAscii(m_key), u"N"));
    EXPECT_EQ(stored().size(), 1u);
}

TEST_P(RegistryOps, DeleteOfMissingValueFailsAndChangesNothing) {
    ASSERT_TRUE(writeNumber(u"FS0", 3));
    EXPECT_FALSE(remove(u"FS1"));
    EXPECT_EQ(number(u"FS0"), 3u);
    EXPECT_TRUE(remove(u"FS0"));
    EXPECT_EQ(number(u"FS0"), std::nullopt);
    EXPECT_FALSE(remove(u"FS0"));
    EXPECT_TRUE(keyExists()) << "deleting the last value keeps the key";
}

TEST_P(RegistryOps, DeleteDoesNotCreateTheKey) {
    EXPECT_FALSE(keyExists());
    EXPECT_FALSE(remove(u"FS0"));
    EXPECT_FALSE(keyExists());
}

TEST_P(RegistryOps, ReadsAndWritesCreateTheKey) {
    std::uint32_t value = 5;
    EXPECT_FALSE(ReadNumberSetting(*m_store, kSettingsRoot, m_key, u"X", &value));
    EXPECT_EQ(value, 0u) << "a missing value reads as 0";
    EXPECT_TRUE(keyExists());
    EXPECT_TRUE(stored().empty());

    dropStore();
    makeStore();
    char16_t buffer[4] = {u'a', u'b', u'c', u'd'};
    EXPECT_FALSE(ReadTextSetting(*m_store, kSettingsRoot, m_key, u"X", buffer, 4));
    EXPECT_EQ(std::u16string(buffer), u"abc") << "only the last unit changes";
    EXPECT_TRUE(keyExists());

    dropStore();
    makeStore();
    EXPECT_TRUE(writeText(u"X", u"y"));
    EXPECT_TRUE(keyExists());
}

TEST_P(RegistryOps, KeysAreSeparate) {
    const std::u16string other = KeyUnderTest(u"Other");
    ASSERT_TRUE(WriteNumberSetting(*m_store, kSettingsRoot, other, u"X", 1));
    EXPECT_EQ(number(u"X"), std::nullopt);
    EXPECT_FALSE(DeleteSetting(*m_store, kSettingsRoot, m_key, u"X"));
    std::uint32_t value = 0;
    EXPECT_TRUE(ReadNumberSetting(*m_store, kSettingsRoot, other, u"X", &value));
    EXPECT_EQ(value, 1u);
}

TEST_P(RegistryOps, UpdateNumberIsReadThenWrite) {
    std::uint32_t result = 0;
    const auto addTwo = [](std::uint32_t v) { return v + 2; };
    EXPECT_TRUE(UpdateNumberSetting(*m_store, kSettingsRoot, m_key, u"N", addTwo, &result));
    EXPECT_EQ(result, 2u) << "a missing value starts at 0";
    EXPECT_TRUE(UpdateNumberSetting(*m_store, kSettingsRoot, m_key, u"N", addTwo, &result));
    EXPECT_EQ(result, 4u);
    EXPECT_EQ(number(u"N"), 4u);
    // A text in its place reads as 0 and is replaced by a number.
    ASSERT_TRUE(writeText(u"N", u"14"));
    EXPECT_TRUE(UpdateNumberSetting(*m_store, kSettingsRoot, m_key, u"N", addTwo, &result));
    EXPECT_EQ(number(u"N"), 2u);
    EXPECT_FALSE(UpdateNumberSetting(*m_store, kSettingsRoot, m_key, u"N", {}, &result));
}

INSTANTIATE_TEST_SUITE_P(Store, RegistryOps, ::testing::Values(BackendUnderTestName()),
                         [](const auto& info) { return info.param; });

// ---- A store that cannot be opened ----------------------------------------------------------

class RegistryUnopenable : public ::testing::TestWithParam<std::string> {
  protected:
    void TearDown() override {
        m_store.reset();
        testing::CleanUpBackendUnderTest();
    }
    std::unique_ptr<SettingsBackend> m_store;
};

TEST_P(RegistryUnopenable, EveryOperationFailsAndOutputsStayUntouched) {
    m_store = testing::MakeUnopenableBackendUnderTest("Unopenable");
    if (!m_store) {
        GTEST_SKIP() << "this backend cannot be made unopenable";
    }
    const std::u16string key = KeyUnderTest(u"Ondrel");
    std::uint32_t value = 7;  // the search's fallback survives
    EXPECT_FALSE(ReadNumberSetting(*m_store, kSettingsRoot, key, kResultCountName, &value));
    EXPECT_EQ(value, 7u);
    std::u16string buffer(20, u'p');
    EXPECT_FALSE(ReadTextSetting(*m_store, kSettingsRoot, key, kStartStationName, buffer.data(),
                                 buffer.size()));
    EXPECT_EQ(buffer, std::u16string(20, u'p')) << "the buffer is untouched, terminator too";
    EXPECT_FALSE(WriteNumberSetting(*m_store, kSettingsRoot, key, u"X", 1));
    EXPECT_FALSE(WriteTextSetting(*m_store, kSettingsRoot, key, u"X", u"y"));
    EXPECT_FALSE(DeleteSetting(*m_store, kSettingsRoot, key, u"X"));
    EXPECT_FALSE(UpdateNumberSetting(
        *m_store, kSettingsRoot, key, u"X", [](std::uint32_t v) { return v + 1; }, &value));
    EXPECT_EQ(value, 7u);
}

INSTANTIATE_TEST_SUITE_P(Store, RegistryUnopenable, ::testing::Values(BackendUnderTestName()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace velomar
