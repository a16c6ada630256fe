#include "timetable/calendar_date.h"

#include <array>
#include <cstdio>

namespace velomar {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (the usual era arithmetic).
int DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<int> GtfsDayNumber(std::string_view text) {
    if (text.size() != 8) {
        return std::nullopt;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(4, 2);
    const int day = number(6, 2);
    if (month < 1 || month > 12 || day < 1) {
        return std::nullopt;
    }
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
    if (day > days) {
        return std::nullopt;
    }
    return DaysFromCivil(year, month, day);
}

std::string GtfsDateText(int dayNumber) {
    const int z = dayNumber + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int dayOfEra = z - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int mp = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    const int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

std::optional<int> AcceptedDayNumber(std::string_view text) {
    const auto day = GtfsDayNumber(text);
    if (!day || *day < *GtfsDayNumber(kFirstAcceptedDate) ||
        *day > *GtfsDayNumber(kLastAcceptedDate)) {
        return std::nullopt;
    }
    return day;
}

int WeekdayOf(int dayNumber) {
    // 1970-01-01 was a Thursday.
    return ((dayNumber % 7) + 7 + 3) % 7;
}

}  // namespace velomar
