#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velomar {

// Looked up by string_view, so that a CSV field needs no copy to be found.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>()(text);
    }
};

template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

}  // namespace velomar
