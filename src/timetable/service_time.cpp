#include "timetable/service_time.h"

namespace velomar {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

std::optional<int> CellMinutes(std::u16string_view cell) {
    if (cell.size() != 4 || !IsDigit(cell[0]) || !IsDigit(cell[1]) || !IsDigit(cell[2]) ||
        !IsDigit(cell[3])) {
        return std::nullopt;
    }
    const int minute = (cell[2] - u'0') * 10 + (cell[3] - u'0');
    int hour = (cell[0] - u'0') * 10 + (cell[1] - u'0');
    if (cell[0] == u'3') {
        hour = 24 + (cell[1] - u'0');
    } else if (hour > 23) {
        return std::nullopt;
    }
    if (minute > 59) {
        return std::nullopt;
    }
    return hour * 60 + minute;
}

std::optional<std::u16string> CellOfMinutes(int minutes) {
    if (minutes < 0 || minutes > kLastCellMinute) {
        return std::nullopt;
    }
    int hour = minutes / 60;
    const int minute = minutes % 60;
    std::u16string cell(4, u'0');
    if (hour >= 24) {
        cell[0] = u'3';
        cell[1] = static_cast<char16_t>(u'0' + (hour - 24));
    } else {
        cell[0] = static_cast<char16_t>(u'0' + hour / 10);
        cell[1] = static_cast<char16_t>(u'0' + hour % 10);
    }
    cell[2] = static_cast<char16_t>(u'0' + minute / 10);
    cell[3] = static_cast<char16_t>(u'0' + minute % 10);
    return cell;
}

}  // namespace velomar
