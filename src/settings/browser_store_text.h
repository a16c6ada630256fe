#pragma once

// The browser's settings store as one text, as local storage keeps it: every key with its
// values, names and bytes spelt in hexadecimal, so any text the registry allows (Hangul,
// controls, lone surrogates, any bytes) comes back exactly as it was stored.
//
//   velomar-settings 1
//   k 80000001 0053006f...            a key: root, path as UTF-16 units
//   v 1 00530074... b4c11cc6...       one of its values: type, name, data bytes

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/memory_settings.h"

namespace velomar {

// Keys by root and case-folded path, values by case-folded name; each keeps its name as it
// was first written, as the registry does.
struct BrowserKey {
    std::u16string path;
    MemorySettingsBackend::Values values;
};
using BrowserStore = std::map<MemorySettingsBackend::KeyId, BrowserKey>;

std::string StoreToText(const BrowserStore& store);
// Nothing when the text is not a store in this form (another program's item, a cut text).
std::optional<BrowserStore> StoreFromText(std::string_view text);

}  // namespace velomar
