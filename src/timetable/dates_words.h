#pragma once

// The words of a dates file's lines, for its parser (service_dates_file.cpp).

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "timetable/day_letters.h"

namespace velomar::dates_words {

// The word from `at` on, and `at` moved past it; empty at the end of the line. A plain loop:
// a dates file is mostly short words.
inline std::string_view NextWord(std::string_view line, std::size_t& at) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (at < line.size() && blank(line[at])) {
        ++at;
    }
    const std::size_t start = at;
    while (at < line.size() && !blank(line[at])) {
        ++at;
    }
    return line.substr(start, at - start);
}

inline std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    words.reserve(16);  // a pattern with a few days added or removed
    std::size_t at = 0;
    for (std::string_view word = NextWord(line, at); !word.empty(); word = NextWord(line, at)) {
        words.push_back(word);
    }
    return words;
}

// 1 to 999999999, no leading zero.
inline std::optional<int> PositiveNumber(std::string_view text) {
    if (text.empty() || text.size() > 9 || text[0] == '0') {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

inline std::optional<WeekDays> WeekdayFlags(std::string_view text) {
    if (text.size() != 7) {
        return std::nullopt;
    }
    WeekDays days = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        if (text[i] == '1') {
            days = static_cast<WeekDays>(days | (1u << i));
        } else if (text[i] != '0') {
            return std::nullopt;
        }
    }
    return days;
}

}  // namespace velomar::dates_words
