#pragma once

// Time cells as minutes of the service day. A cell holds HHMM for 00:00-23:59; the small hours
// after midnight that still belong to the service day are "3HMM", so that they compare after
// every time of the day: "3015" is 00:15 after midnight, minute 1455. The last such cell is
// "3959" (33:59); later times have no cell.

#include <optional>
#include <string>
#include <string_view>

namespace velomar {

inline constexpr int kLastCellMinute = 33 * 60 + 59;

// Minutes since the start of the service day; nothing for a cell that is no time ("9999",
// "2400", "0760", anything not four digits).
std::optional<int> CellMinutes(std::u16string_view cell);

// The cell of a minute of the service day; nothing below 0 or past kLastCellMinute.
std::optional<std::u16string> CellOfMinutes(int minutes);

}  // namespace velomar
