#include "import/day_set.h"

#include <algorithm>
#include <bit>

#include "timetable/calendar_date.h"

namespace velomar {

void DaySet::set(int i, bool on) {
    const std::uint64_t bit = std::uint64_t{1} << (i % 64);
    std::uint64_t& word = m_words[static_cast<std::size_t>(i / 64)];
    word = on ? word | bit : word & ~bit;
}

bool DaySet::test(int i) const {
    return (m_words[static_cast<std::size_t>(i / 64)] >> (i % 64) & 1) != 0;
}

bool DaySet::any() const {
    return std::any_of(m_words.begin(), m_words.end(), [](std::uint64_t w) { return w != 0; });
}

int DaySet::count() const {
    int n = 0;
    for (const std::uint64_t word : m_words) {
        n += std::popcount(word);
    }
    return n;
}

void DaySet::unite(const DaySet& other) {
    for (std::size_t w = 0; w < m_words.size() && w < other.m_words.size(); ++w) {
        m_words[w] |= other.m_words[w];
    }
}

int DaySet::first() const {
    for (std::size_t w = 0; w < m_words.size(); ++w) {
        if (m_words[w] != 0) {
            return static_cast<int>(w * 64) + std::countr_zero(m_words[w]);
        }
    }
    return -1;
}

int DaySet::last() const {
    for (std::size_t w = m_words.size(); w-- > 0;) {
        if (m_words[w] != 0) {
            return static_cast<int>(w * 64) + 63 - std::countl_zero(m_words[w]);
        }
    }
    return -1;
}

std::vector<int> DaySet::days(int periodFirst) const {
    std::vector<int> out;
    for (std::size_t w = 0; w < m_words.size(); ++w) {
        for (std::uint64_t word = m_words[w]; word != 0; word &= word - 1) {
            out.push_back(periodFirst + static_cast<int>(w * 64) + std::countr_zero(word));
        }
    }
    return out;
}

WeekDays DaySet::weekdays(int periodFirst) const {
    WeekDays days = 0;
    for (const int day : this->days(periodFirst)) {
        days = static_cast<WeekDays>(days | (1u << WeekdayOf(day)));
        if (days == kEveryDay) {
            break;
        }
    }
    return days;
}

}  // namespace velomar
