#pragma once

#include <string>
#include <string_view>

namespace velomar {

// Times after midnight are stored as "3HMM" so they sort after the whole service day;
// this turns them back into a clock time ("3015" -> "0015").
std::u16string DisplayTime(std::u16string_view cell);

// "0735" -> "07:35", the screen's "%c%c:%c%c" pattern (missing characters stay missing).
std::u16string FormatClock(std::u16string_view fourDigits);

}  // namespace velomar
