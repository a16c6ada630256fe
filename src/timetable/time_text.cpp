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

std::optional<int> ServiceMinutes(std::u16string_view cell) {
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    if (cell.size() != 4 || !digit(cell[0]) || !digit(cell[1]) || !digit(cell[2]) ||
        !digit(cell[3])) {
        return std::nullopt;
    }
    const int minute = (cell[2] - u'0') * 10 + (cell[3] - u'0');
    int hour = (cell[0] - u'0') * 10 + (cell[1] - u'0');
    if (cell[0] == u'3') {
        hour = 24 + (cell[1] - u'0');  // the small hours after the service day
    } else if (hour > 23) {
        return std::nullopt;
    }
    if (minute > 59) {
        return std::nullopt;
    }
    return hour * 60 + minute;
}

}  // namespace velomar
