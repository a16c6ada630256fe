#include "timetable/day_letters.h"

namespace velomar {

WeekDays DaysOfTrainCode(std::u16string_view code) {
    for (const DayPart& part : kDayParts) {
        const bool whole = part.flags.size() == 4;
        if (whole ? code == part.flags : code.size() == 4 && code.substr(0, 3) == part.flags) {
            return part.days;
        }
    }
    return kEveryDay;
}

int CountDays(WeekDays days) {
    int count = 0;
    for (; days != 0; days = static_cast<WeekDays>(days & (days - 1))) {
        ++count;
    }
    return count;
}

}  // namespace velomar
