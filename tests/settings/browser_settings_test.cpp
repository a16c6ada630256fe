// What only the browser's store has: storage that is full or refused, an item that is not a
// store, another tab writing the same item, and texts of any units surviving the item's form.
#include <gtest/gtest.h>

#include "backend_under_test_browser.h"
#include "settings/browser_settings.h"
#include "settings/settings_store.h"

namespace velomar {
namespace {

using namespace velomar::testing;

class BrowserStorage : public ::testing::Test {
  protected:
    void SetUp() override { ResetBrowserStorage(); }
    void TearDown() override { ResetBrowserStorage(); }

    SettingsStatus writeText(std::u16string_view name, std::u16string_view text) {
        return TryWriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, text);
    }
    std::optional<std::u16string> text(std::u16string_view name) {
        return ReadStationText(store, name);
    }

    BrowserSettingsBackend store;
};

TEST_F(BrowserStorage, FullStorageFailsTheWriteAndKeepsWhatWasStored) {
    ASSERT_EQ(writeText(kStartStationName, u"서울"), SettingsStatus::Ok);
    LeaveBrowserStorageRoom(0);
    EXPECT_EQ(writeText(kStartStationName, u"동대구"), SettingsStatus::Failed);
    EXPECT_EQ(writeText(kEndStationName, u"부산"), SettingsStatus::Failed);
    EXPECT_NE(store.failureText(), "");
    EXPECT_EQ(text(kStartStationName), u"서울");
    EXPECT_EQ(text(kEndStationName), std::nullopt);
}

TEST_F(BrowserStorage, ATransactionThatCannotBeStoredLeavesNothingOfIt) {
    ASSERT_EQ(writeText(kStartStationName, u"서울"), SettingsStatus::Ok);
    LeaveBrowserStorageRoom(8);
    {
        SettingsTransaction transaction(store);
        ASSERT_TRUE(transaction.active());
        EXPECT_EQ(writeText(kStartStationName, u"동대구"), SettingsStatus::Ok);
        EXPECT_EQ(writeText(kEndStationName, u"부산"), SettingsStatus::Ok);
        EXPECT_EQ(transaction.tryCommit(), SettingsStatus::Failed);
    }
    EXPECT_EQ(text(kStartStationName), u"서울");
    EXPECT_EQ(text(kEndStationName), std::nullopt);

    {
        SettingsTransaction rolledBack(store);
        EXPECT_EQ(writeText(kEndStationName, u"부산"), SettingsStatus::Ok);
    }
    EXPECT_EQ(text(kEndStationName), std::nullopt);
}

TEST_F(BrowserStorage, RefusedStorageFailsEveryRequestAndLosesNothing) {
    ASSERT_EQ(writeText(kStartStationName, u"서울"), SettingsStatus::Ok);
    RefuseBrowserStorage(true);
    std::uint32_t number = 5;
    EXPECT_EQ(
        TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &number),
        SettingsStatus::Failed);
    EXPECT_EQ(number, 5u);
    EXPECT_EQ(writeText(kStartStationName, u"부산"), SettingsStatus::Failed);
    EXPECT_FALSE(SettingsTransaction(store).active());
    RefuseBrowserStorage(false);
    EXPECT_EQ(text(kStartStationName), u"서울");
}

TEST_F(BrowserStorage, AnItemThatIsNotAStoreIsMovedAsideNotOverwritten) {
    for (const std::string foreign : {"{\"theme\":\"dark\"}", "velomar-settings 1\nk 80000001"}) {
        ResetBrowserStorage();
        SetBrowserStorageItem(store.itemName(), foreign);
        EXPECT_EQ(writeText(kStartStationName, u"서울"), SettingsStatus::Ok) << foreign;
        EXPECT_EQ(text(kStartStationName), u"서울");
        const std::string names = BrowserStorageNames();
        const std::size_t aside = names.find(store.itemName() + ".broken-");
        ASSERT_NE(aside, std::string::npos) << names;
        const std::string asideName = names.substr(aside, names.find(',', aside) - aside);
        EXPECT_EQ(BrowserStorageItem(asideName), foreign);
    }
}

TEST_F(BrowserStorage, AnotherTabsChangeIsSeenAtTheNextRead) {
    BrowserSettingsBackend otherTab;
    ASSERT_EQ(writeText(kStartStationName, u"서울"), SettingsStatus::Ok);
    EXPECT_EQ(ReadStationText(otherTab, kStartStationName), u"서울");
    ASSERT_TRUE(
        WriteTextSetting(otherTab, kSettingsRoot, kSettingsKeyPath, kStartStationName, u"목포"));
    EXPECT_EQ(text(kStartStationName), u"목포");
}

TEST(BrowserStoreText, EveryUnitAndByteComesBack) {
    BrowserStore store;
    const std::u16string odd{u'\0', u'\xD800', u'\xFFFF', u' ', u'\n', u'가'};
    StoredValue value{odd, 0xFFFFFFFF, {std::byte{0}, std::byte{0xFF}, std::byte{0x0A}}};
    BrowserKey key{u"Software\\Ondrel", {{FoldNameCase(odd), value}}};
    store[{kSettingsRoot, FoldNameCase(key.path)}] = key;
    key.path = odd;
    key.values = {{u"", StoredValue{u"", 1, {}}}};
    store[{kSettingsRoot, FoldNameCase(odd)}] = key;

    const auto back = StoreFromText(StoreToText(store));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), store.size());
    for (const auto& [id, stored] : store) {
        const BrowserKey& read = back->at(id);
        EXPECT_EQ(read.path, stored.path);
        ASSERT_EQ(read.values.size(), stored.values.size());
        for (const auto& [name, v] : stored.values) {
            EXPECT_EQ(read.values.at(name).name, v.name);
            EXPECT_EQ(read.values.at(name).type, v.type);
            EXPECT_EQ(read.values.at(name).data, v.data);
        }
    }
}

}  // namespace
}  // namespace velomar
