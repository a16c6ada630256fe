// The registry behaviour table on the real registry (Windows, or Wine): every case gets a
// scratch key HKEY_CURRENT_USER\Software\VelomarTest\<process>_<case number>, deleted with
// everything below it afterwards, so the program's own key is never touched.
#include <windows.h>

#include <memory>
#include <string>

#include "backend_under_test.h"
#include "settings/registry_settings.h"

namespace velomar::testing {

namespace {

constexpr std::u16string_view kScratchParent = u"Software\\VelomarTest";

int& CaseNumber() {
    static int number = 0;
    return number;
}

std::u16string ToU16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// The scratch key of the case running now, below the current-user root.
std::u16string ScratchKey() {
    return std::u16string(kScratchParent) + u"\\" + ToU16(std::to_string(GetCurrentProcessId())) +
           u"_" + ToU16(std::to_string(CaseNumber()));
}

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace

std::string BackendUnderTestName() {
    return "Registry";
}

std::unique_ptr<SettingsBackend> MakeBackendUnderTest(std::string_view) {
    return std::make_unique<RegistrySettingsBackend>();
}

std::unique_ptr<SettingsBackend> MakeUnopenableBackendUnderTest(std::string_view) {
    // Nothing lasting can be made below a volatile key: the backend's keys are non-volatile,
    // so creating any of them fails, and none exists to be opened.
    const std::wstring base = Wide(ScratchKey() + u"\\Volatile");
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, base.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_READ,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    RegCloseKey(key);
    return std::make_unique<RegistrySettingsBackend>(ScratchKey() + u"\\Volatile");
}

std::u16string KeyUnderTest(std::u16string_view leaf) {
    return ScratchKey() + u"\\" + std::u16string(leaf);
}

void CleanUpBackendUnderTest() {
    const std::wstring scratch = Wide(ScratchKey());
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, scratch.c_str());
    // The parent goes too once empty; RegDeleteKeyW leaves a key with children alone.
    RegDeleteKeyW(HKEY_CURRENT_USER, Wide(kScratchParent).c_str());
    ++CaseNumber();
}

}  // namespace velomar::testing
