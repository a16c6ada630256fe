#pragma once

// Text tables for the terminal.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace velomar::cli {

// Terminal columns of a text: Hangul, CJK and full-width forms take two, a surrogate pair
// counts as one character.
int DisplayWidth(std::u16string_view text);

// Aligned columns, two spaces apart; the last column is not padded.
void PrintTable(std::ostream& out, const std::vector<std::vector<std::u16string>>& lines);

}  // namespace velomar::cli
