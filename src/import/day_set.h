#pragma once

// The days of an imported period on which a service or a train runs: one bit per day of the
// period, so a year costs 46 bytes and sets unite and compare word by word.

#include <compare>
#include <cstdint>
#include <vector>

#include "timetable/day_letters.h"

namespace velomar {

class DaySet {
  public:
    DaySet() = default;
    explicit DaySet(int days) : m_words(static_cast<std::size_t>((days + 63) / 64), 0) {}

    // Day i of the period (0 its first day).
    void set(int i, bool on);
    bool test(int i) const;
    bool any() const;
    int count() const;
    void unite(const DaySet& other);
    // The first and the last day set; -1 when none is.
    int first() const;
    int last() const;
    // The days set, as periodFirst + i, ascending.
    std::vector<int> days(int periodFirst) const;
    // The weekdays on which at least one of the days falls.
    WeekDays weekdays(int periodFirst) const;

    friend bool operator==(const DaySet&, const DaySet&) = default;
    friend auto operator<=>(const DaySet&, const DaySet&) = default;

  private:
    std::vector<std::uint64_t> m_words;
};

}  // namespace velomar
