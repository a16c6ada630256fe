#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velomar::cli {

// Minutes from one clock time "HH:MM" to another, across midnight when the arrival is
// earlier (a train leaving 23:50 and arriving 00:20 travels 30 minutes); nothing when either
// text is not HH:MM.
std::optional<int> TravelMinutes(std::u16string_view departure, std::u16string_view arrival);

// "1:05" for 65 minutes; empty for nothing.
std::u16string DurationText(std::optional<int> minutes);

}  // namespace velomar::cli
