#pragma once

// The store that registry_behaviour_test.cpp runs its cases against. Each build of that table
// links exactly one definition of these functions: backend_under_test_sqlite.cpp (the file
// store), backend_under_test_memory.cpp (the in-memory double) or a registry one on Windows.
// Everything here stays free of POSIX and Qt so the table builds with any toolchain.

#include <memory>
#include <string>
#include <string_view>

#include "settings/settings_backend.h"

namespace velomar::testing {

// Short name for test output, a valid test name part: "Sqlite", "Memory", "Registry".
std::string BackendUnderTestName();

// A store for one case, whose keys under KeyUnderTest() hold nothing yet. `caseName` is a
// label (letters, digits, '_') that may be used to name scratch places. At most one store
// made here is alive at a time; the caller destroys it before CleanUpBackendUnderTest().
std::unique_ptr<SettingsBackend> MakeBackendUnderTest(std::string_view caseName);

// A store on which every key fails to open, as for an unwritable place; nothing when the
// backend has no way to be made so (the cases that need it are skipped then).
std::unique_ptr<SettingsBackend> MakeUnopenableBackendUnderTest(std::string_view caseName);

// The path (under the current-user root) of a scratch key named `leaf`, missing at the start
// of each case. Different leaves give different keys that are not inside one another.
std::u16string KeyUnderTest(std::u16string_view leaf);

// Removes whatever the last store left behind (files, registry keys). Called after each case,
// once its store is destroyed; must be harmless when nothing is left.
void CleanUpBackendUnderTest();

}  // namespace velomar::testing
