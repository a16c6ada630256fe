#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velomar {

// UTF-16 to UTF-8. A lone surrogate cannot be encoded and becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; nothing when the bytes are not valid UTF-8 (overlong forms, encoded
// surrogates and truncated sequences included).
std::optional<std::u16string> FromUtf8(std::string_view bytes);

// Length of the well-formed UTF-8 sequence that starts at `at`, with its code point in
// `code`; 0 when the bytes there are not one.
std::size_t DecodeUtf8Sequence(std::string_view bytes, std::size_t at, char32_t& code);

// Appends a code point as one or two UTF-16 units.
void AppendUtf16(std::u16string& out, char32_t code);

// User-given bytes made safe to echo in a message: valid UTF-8 stays as it is, control
// characters and bytes that are not UTF-8 become \xNN, so nothing reaches the terminal as
// an escape sequence or as broken text.
std::string TerminalText(std::string_view bytes);

// Paths to and from the UTF-8 of arguments and messages. On POSIX the bytes pass unchanged;
// Windows keeps paths in UTF-16, where narrow conversions would lose Korean folder names or
// throw. Text that cannot be converted comes back with U+FFFD in its place, never an error.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace velomar
