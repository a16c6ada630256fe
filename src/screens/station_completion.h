#pragma once

// What the list under a station field offers while the user types: the station matcher's
// names, best first. The list only suggests; the field's text is what the user typed until a
// row is picked.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

// Rows the list shows at most: enough for the initials of a short name (ㅅㅇ has many), few
// enough to stay under the field on the smallest screens.
inline constexpr std::size_t kCompletionRows = 8;

// The names offered for `typed`, best first, at most `rows`. None for a blank text, a text
// that nothing matches, or when the one name offered is the typed name itself.
std::vector<std::u16string> StationCompletions(std::u16string_view typed,
                                               std::size_t rows = kCompletionRows);

}  // namespace velomar
