#pragma once

// Switches of node's stand-in for the browser's local storage (tests/web/local_storage_shim.js).

#include <optional>
#include <string>

namespace velomar::testing {

// Everything stored is gone, and the storage takes anything again.
void ResetBrowserStorage();
// The browser refuses its storage (private browsing, storage switched off).
void RefuseBrowserStorage(bool refused);
// Every item together may hold this many characters more than it holds now.
void LeaveBrowserStorageRoom(int characters);
std::optional<std::string> BrowserStorageItem(const std::string& name);
void SetBrowserStorageItem(const std::string& name, const std::string& text);
// The names of all items, comma-separated.
std::string BrowserStorageNames();

}  // namespace velomar::testing
