// The registry behaviour table on the web app's store: local storage, node's stand-in for it.
#include <emscripten.h>

#include <cstdlib>

#include "backend_under_test.h"
#include "backend_under_test_browser.h"
#include "settings/browser_settings.h"

// clang-format off
EM_JS(char*, velomar_test_item, (const char* name), {
    var value = localStorage.getItem(UTF8ToString(name));
    if (value === null) return 0;
    var size = lengthBytesUTF8(value) + 1;
    var room = _malloc(size);
    stringToUTF8(value, room, size);
    return room;
});
EM_JS(char*, velomar_test_names, (), {
    var names = [];
    for (var i = 0; i < localStorage.length; ++i) names.push(localStorage.key(i));
    var text = names.join(',');
    var size = lengthBytesUTF8(text) + 1;
    var room = _malloc(size);
    stringToUTF8(text, room, size);
    return room;
});
EM_JS(void, velomar_test_reset, (), {
    velomarStorageControl.refuse = false;
    velomarStorageControl.room = Infinity;
    localStorage.clear();
});
EM_JS(void, velomar_test_refuse, (int refused), {
    velomarStorageControl.refuse = refused != 0;
});
EM_JS(void, velomar_test_leave_room, (int characters), {
    var used = 0;
    for (var i = 0; i < localStorage.length; ++i) {
        var name = localStorage.key(i);
        used += name.length + localStorage.getItem(name).length;
    }
    velomarStorageControl.room = used + characters;
});
EM_JS(void, velomar_test_set_item, (const char* name, const char* text), {
    localStorage.setItem(UTF8ToString(name), UTF8ToString(text));
});
// clang-format on

namespace velomar::testing {

namespace {

std::string taken(char* text) {
    std::string out = text != nullptr ? text : "";
    std::free(text);
    return out;
}

}  // namespace

void ResetBrowserStorage() {
    velomar_test_reset();
}

void RefuseBrowserStorage(bool refused) {
    velomar_test_refuse(refused ? 1 : 0);
}

void LeaveBrowserStorageRoom(int characters) {
    velomar_test_leave_room(characters);
}

std::optional<std::string> BrowserStorageItem(const std::string& name) {
    char* text = velomar_test_item(name.c_str());
    if (text == nullptr) {
        return std::nullopt;
    }
    return taken(text);
}

void SetBrowserStorageItem(const std::string& name, const std::string& text) {
    velomar_test_set_item(name.c_str(), text.c_str());
}

std::string BrowserStorageNames() {
    return taken(velomar_test_names());
}

std::string BackendUnderTestName() {
    return "Browser";
}

std::unique_ptr<SettingsBackend> MakeBackendUnderTest(std::string_view) {
    ResetBrowserStorage();
    return std::make_unique<BrowserSettingsBackend>();
}

std::unique_ptr<SettingsBackend> MakeUnopenableBackendUnderTest(std::string_view) {
    ResetBrowserStorage();
    RefuseBrowserStorage(true);
    return std::make_unique<BrowserSettingsBackend>();
}

std::u16string KeyUnderTest(std::u16string_view leaf) {
    return u"Software\\" + std::u16string(leaf);
}

void CleanUpBackendUnderTest() {
    ResetBrowserStorage();
}

}  // namespace velomar::testing
