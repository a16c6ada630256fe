#include "settings/browser_store_text.h"

#include <cstdint>
#include <vector>

namespace velomar {

namespace {

constexpr std::string_view kHeader = "velomar-settings 1";
constexpr char kDigits[] = "0123456789abcdef";

void appendHex(std::string& out, std::uint32_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kDigits[(value >> shift) & 0xF];
    }
}

std::string unitsHex(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        appendHex(out, unit, 4);
    }
    return out;
}

std::string bytesHex(const std::vector<std::byte>& bytes) {
    std::string out;
    for (std::byte b : bytes) {
        appendHex(out, std::to_integer<std::uint32_t>(b), 2);
    }
    return out;
}

std::optional<std::uint32_t> hexValue(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

// A field of `width` hexadecimal digits per item, or nothing for a field of another length.
template <typename Item>
std::optional<std::vector<Item>> hexItems(std::string_view field, std::size_t width) {
    if (field.size() % width != 0) {
        return std::nullopt;
    }
    std::vector<Item> items;
    for (std::size_t at = 0; at < field.size(); at += width) {
        const auto value = hexValue(field.substr(at, width));
        if (!value) {
            return std::nullopt;
        }
        items.push_back(static_cast<Item>(*value));
    }
    return items;
}

std::optional<std::u16string> unitsFrom(std::string_view field) {
    const auto units = hexItems<char16_t>(field, 4);
    return units ? std::optional(std::u16string(units->begin(), units->end())) : std::nullopt;
}

// Splits a line at single blanks; an empty field (for an empty name or data) stays.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= line.size(); ++at) {
        if (at == line.size() || line[at] == ' ') {
            out.push_back(line.substr(start, at - start));
            start = at + 1;
        }
    }
    return out;
}

bool readKey(const std::vector<std::string_view>& parts, BrowserStore& store, BrowserKey*& key) {
    const auto root = parts.size() == 3 ? hexValue(parts[1]) : std::nullopt;
    const auto path = parts.size() == 3 ? unitsFrom(parts[2]) : std::nullopt;
    if (!root || !path) {
        return false;
    }
    const MemorySettingsBackend::KeyId id{static_cast<SettingsRoot>(*root), FoldNameCase(*path)};
    key = &store[id];
    key->path = *path;
    return true;
}

bool readValue(const std::vector<std::string_view>& parts, BrowserKey* key) {
    if (key == nullptr || parts.size() != 4) {
        return false;
    }
    const auto type = hexValue(parts[1]);
    const auto name = unitsFrom(parts[2]);
    const auto data = hexItems<std::byte>(parts[3], 2);
    if (!type || !name || !data) {
        return false;
    }
    key->values[FoldNameCase(*name)] = StoredValue{*name, *type, *data};
    return true;
}

}  // namespace

std::string StoreToText(const BrowserStore& store) {
    std::string text(kHeader);
    text += '\n';
    for (const auto& [id, key] : store) {
        text += "k ";
        appendHex(text, static_cast<std::uint32_t>(id.first), 8);
        text += ' ' + unitsHex(key.path) + '\n';
        for (const auto& [folded, value] : key.values) {
            text += "v ";
            appendHex(text, value.type, 8);
            text += ' ' + unitsHex(value.name) + ' ' + bytesHex(value.data) + '\n';
        }
    }
    return text;
}

std::optional<BrowserStore> StoreFromText(std::string_view text) {
    if (text.substr(0, kHeader.size()) != kHeader ||
        text.substr(kHeader.size(), 1) != std::string_view("\n")) {
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size() + 1);
    BrowserStore store;
    BrowserKey* key = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;  // the last line lost its end: a cut text
        }
        const std::vector<std::string_view> parts = fields(text.substr(0, end));
        text.remove_prefix(end + 1);
        const bool read = parts[0] == "k"   ? readKey(parts, store, key)
                          : parts[0] == "v" ? readValue(parts, key)
                                            : false;
        if (!read) {
            return std::nullopt;
        }
    }
    return store;
}

}  // namespace velomar
