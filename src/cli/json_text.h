#pragma once

#include <string>
#include <string_view>

namespace velomar::cli {

// A JSON string literal of the text, in UTF-8: quotes and backslashes escaped, control
// characters as \u00XX.
std::string JsonString(std::u16string_view text);

}  // namespace velomar::cli
