#pragma once

// Which days of the week a train code's day part stands for. The export turns a code into
// calendar days and the import turns calendar days back into a code, both through this.

#include <cstdint>
#include <string_view>

namespace velomar {

// A set of weekdays: bit 0 Monday ... bit 6 Sunday.
using WeekDays = std::uint8_t;

inline constexpr WeekDays kMonday = 1;
inline constexpr WeekDays kFriday = 1 << 4;
inline constexpr WeekDays kSaturday = 1 << 5;
inline constexpr WeekDays kSunday = 1 << 6;
inline constexpr WeekDays kWeekdays = 0x1F;  // Monday to Friday
inline constexpr WeekDays kEveryDay = 0x7F;

// Day letters: A Friday, B Saturday, C Sunday, D Monday. The first three characters of a code
// flag them: "1.." Friday, ".1." Saturday, "..1" Sunday, "002" Monday; "000" is every day.
// "0014" (누(평일)) is the one code read whole: 누리로 on weekdays.
struct DayPart {
    std::u16string_view flags;  // the first three characters, or the whole code
    WeekDays days;
};

inline constexpr DayPart kDayParts[] = {
    {u"0014", kWeekdays},
    {u"000", kEveryDay},
    {u"002", kMonday},
    {u"100", kFriday},
    {u"010", kSaturday},
    {u"001", kSunday},
    {u"011", kSaturday | kSunday},
    {u"111", kFriday | kSaturday | kSunday},
    {u"101", kFriday | kSunday},
};

// The days of a four-character code; every day for a day part no entry knows. Whether the
// code itself exists is the type table's business.
WeekDays DaysOfTrainCode(std::u16string_view code);

int CountDays(WeekDays days);

}  // namespace velomar
