#pragma once

// Calendar dates as day numbers, for the days of the week that train codes restrict trains to.

#include <optional>
#include <string>
#include <string_view>

namespace velomar {

// Days since 1970-01-01 of an exact YYYYMMDD date (a month 01-12, a day that exists in it);
// nothing for any other text. And back.
std::optional<int> GtfsDayNumber(std::string_view text);
std::string GtfsDateText(int dayNumber);
// 0 Monday ... 6 Sunday.
int WeekdayOf(int dayNumber);

// The dates a command takes: every range a command writes from one (the week from it, an
// event that ends after midnight, a week later on) stays within years of four digits.
inline constexpr std::string_view kFirstAcceptedDate = "00010101";
inline constexpr std::string_view kLastAcceptedDate = "99991224";
// GtfsDayNumber of a date within those bounds; nothing for any other text.
std::optional<int> AcceptedDayNumber(std::string_view text);

}  // namespace velomar
