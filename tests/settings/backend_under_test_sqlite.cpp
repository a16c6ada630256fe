// The registry behaviour table on the SQLite store: a fresh file per case.
#include <memory>

#include "backend_under_test.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"

namespace velomar::testing {

namespace {

// The directory of the case running now; removed with everything in it afterwards.
std::unique_ptr<TempDir>& CurrentDir() {
    static std::unique_ptr<TempDir> dir;
    return dir;
}

const TempDir& FreshDir() {
    CurrentDir() = std::make_unique<TempDir>();
    return *CurrentDir();
}

}  // namespace

std::string BackendUnderTestName() {
    return "Sqlite";
}

std::unique_ptr<SettingsBackend> MakeBackendUnderTest(std::string_view) {
    return SqliteSettingsBackend::Open(FreshDir() / "settings.sqlite3");
}

std::unique_ptr<SettingsBackend> MakeUnopenableBackendUnderTest(std::string_view) {
    // No directory can be made below a regular file.
    const TempDir& dir = FreshDir();
    WriteBytes(dir / "plain", "x");
    return SqliteSettingsBackend::Open(dir / "plain" / "settings.sqlite3");
}

std::u16string KeyUnderTest(std::u16string_view leaf) {
    return u"Software\\" + std::u16string(leaf);
}

void CleanUpBackendUnderTest() {
    CurrentDir().reset();
}

}  // namespace velomar::testing
