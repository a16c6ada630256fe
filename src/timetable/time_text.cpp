#include "timetable/time_text.h"

namespace velomar {

std::u16string DisplayTime(std::u16string_view cell) {
    if (cell < u"3000") {
        return std::u16string(cell);
    }
    std::u16string shown = u"0";
    shown += cell.substr(1, 3);
    return shown;
}

std::u16string FormatClock(std::u16string_view fourDigits) {
    std::u16string shown(fourDigits.substr(0, 2));
    shown += u':';
    if (fourDigits.size() > 2) {
        shown += fourDigits.substr(2, 2);
    }
    return shown;
}

}  // namespace velomar
