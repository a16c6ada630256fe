// The registry behaviour table on the in-memory double that other tests stand on.
#include "backend_under_test.h"
#include "settings/memory_settings.h"

namespace velomar::testing {

std::string BackendUnderTestName() {
    return "Memory";
}

std::unique_ptr<SettingsBackend> MakeBackendUnderTest(std::string_view) {
    return std::make_unique<MemorySettingsBackend>();
}

std::unique_ptr<SettingsBackend> MakeUnopenableBackendUnderTest(std::string_view) {
    auto backend = std::make_unique<MemorySettingsBackend>();
    backend->setUnavailable(true);
    return backend;
}

std::u16string KeyUnderTest(std::u16string_view leaf) {
    return u"Software\\" + std::u16string(leaf);
}

void CleanUpBackendUnderTest() {}

}  // namespace velomar::testing
