#include "screens/options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/memory_settings.h"
#include "settings/settings_store.h"

namespace velomar {
namespace {

std::optional<std::uint32_t> storedResultCount(SettingsBackend& store) {
    std::uint32_t value = 0;
    if (!ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::u16string> sizes(int from, int to) {
    std::vector<std::u16string> all;
    for (int n = from; n <= to; ++n) {
        std::u16string text;
        for (char c : std::to_string(n)) {
            text += static_cast<char16_t>(c);
        }
        all.push_back(text);
    }
    return all;
}

struct OpeningCase {
    int height;
    std::optional<std::uint32_t> stored;  // nothing: no value
    int largestEntry;
    int selection;  // -1: none
};

class OptionsOpeningTest : public testing::TestWithParam<OpeningCase> {};

TEST_P(OptionsOpeningTest, EntriesAndSelection) {
    const OpeningCase& c = GetParam();
    MemorySettingsBackend store;
    if (c.stored) {
        WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, *c.stored);
    }
    OptionsDialogRules dialog(store, c.height);
    dialog.start();
    EXPECT_EQ(dialog.entries(), sizes(5, c.largestEntry));
    EXPECT_EQ(dialog.selection(), c.selection);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, OptionsOpeningTest,
    testing::Values(OpeningCase{320, 9u, 9, 4},             // "9"
                    OpeningCase{320, 0u, 9, 2},             // "7" when it reads 0
                    OpeningCase{800, std::nullopt, 14, 8},  // "13" when missing
                    OpeningCase{400, 14u, 14, 9},
                    OpeningCase{320, 14u, 9, -1},  // written on a larger screen
                    OpeningCase{320, 4u, 9, -1},   // below the first entry
                    OpeningCase{800, 0xFFFFFFFFu, 14, -1},
                    // Heights the table does not name: short below 400, long from 400.
                    OpeningCase{640, std::nullopt, 14, 8}, OpeningCase{640, 12u, 14, 7},
                    OpeningCase{399, 0u, 9, 2}, OpeningCase{240, 6u, 9, 1}));

TEST(OptionsDialog, OkStoresTheSelectedSize) {
    MemorySettingsBackend store;
    WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, 9);
    OptionsDialogRules dialog(store, 320);
    dialog.start();
    EXPECT_TRUE(dialog.accept());
    EXPECT_EQ(storedResultCount(store), 9u);

    dialog.select(0);
    EXPECT_TRUE(dialog.accept());
    EXPECT_EQ(storedResultCount(store), 5u);
}

TEST(OptionsDialog, OkWithoutSelectionKeepsTheOldValue) {
    MemorySettingsBackend store;
    WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, 14);
    OptionsDialogRules dialog(store, 320);
    dialog.start();
    ASSERT_EQ(dialog.selection(), -1);
    EXPECT_FALSE(dialog.accept());
    EXPECT_EQ(storedResultCount(store), 14u);
}

TEST(OptionsDialog, PickingOutsideTheListClearsTheSelection) {
    MemorySettingsBackend store;
    OptionsDialogRules dialog(store, 800);
    dialog.start();
    dialog.select(10);
    EXPECT_EQ(dialog.selection(), -1);
    EXPECT_FALSE(dialog.accept());
    EXPECT_EQ(storedResultCount(store), std::nullopt);
    dialog.select(9);
    EXPECT_TRUE(dialog.accept());
    EXPECT_EQ(storedResultCount(store), 14u);
}

TEST(OptionsDialog, UnavailableStoreOpensOnTheDefaultAndReportsTheFailedWrite) {
    MemorySettingsBackend store;
    store.setUnavailable(true);
    OptionsDialogRules dialog(store, 320);
    dialog.start();
    EXPECT_EQ(dialog.selection(), 2);
    EXPECT_FALSE(dialog.accept());
}

TEST(OptionsDialog, TemplateHoldsTheListAndButtons) {
    const DialogTemplate& t = OptionsTemplate();
    EXPECT_EQ(t.id, 190);
    EXPECT_EQ(t.width, 122);
    EXPECT_EQ(t.height, 153);
    ASSERT_EQ(t.items.size(), 4u);
    EXPECT_EQ(t.items[2].text, u"검색 결과 수 :  ");
    EXPECT_EQ(t.items[3].id, kOptionsListId);
}

}  // namespace
}  // namespace velomar
