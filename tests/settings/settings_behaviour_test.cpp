// What our own backends define beyond the registry's behaviour (the shared cases live in
// registry_behaviour_test.cpp).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"

namespace velomar {
namespace {

using testing::TempDir;

struct BackendKind {
    std::string label;
    std::function<std::unique_ptr<SettingsBackend>(const TempDir&)> make;
};

const BackendKind kMemory{
    "Memory", [](const TempDir&) {
        return std::unique_ptr<SettingsBackend>(std::make_unique<MemorySettingsBackend>());
    }};

const BackendKind kSqlite{
    "Sqlite", [](const TempDir& dir) {
        return std::unique_ptr<SettingsBackend>(SqliteSettingsBackend::Open(dir / "settings.db"));
    }};

class OwnBackends : public ::testing::TestWithParam<BackendKind> {};

// The program's names are plain ASCII; beyond that we fold no further (the real registry
// also folds other letters, a difference nothing can observe).
TEST_P(OwnBackends, OnlyAsciiLettersFoldCase) {
    TempDir dir;
    auto store = GetParam().make(dir);
    ASSERT_TRUE(WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Ä", 1));
    ASSERT_TRUE(WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"ä", 2));
    std::uint32_t value = 0;
    EXPECT_TRUE(ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Ä", &value));
    EXPECT_EQ(value, 1u);
    EXPECT_TRUE(ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"ä", &value));
    EXPECT_EQ(value, 2u);
}

INSTANTIATE_TEST_SUITE_P(Backends, OwnBackends, ::testing::Values(kMemory, kSqlite),
                         [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace velomar
