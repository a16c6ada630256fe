#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

// Page size when "ResultCount" cannot be read because the store is unavailable.
inline constexpr std::uint32_t kFallbackPageSize = 7;

// Where the page after Next begins: right after the last train the page before showed. Trains
// leaving before departureKey stay out, and so do those leaving at it that were shown already,
// so that none is skipped or shown twice when several leave at that minute.
struct PageBound {
    std::u16string departureKey;
    std::vector<std::u16string> shownAtKey;  // train numbers

    bool admits(std::u16string_view departure, std::u16string_view trainNo) const {
        if (departure != departureKey) {
            return departure > departureKey;
        }
        for (const std::u16string& shown : shownAtKey) {
            if (shown == trainNo) {
                return false;
            }
        }
        return true;
    }
    friend bool operator==(const PageBound&, const PageBound&) = default;
};

// What one search works on. The main screen refreshes it from its form before every search;
// the search changes the station texts in place (codes while scanning, names at the end).
struct SearchQuery {
    std::u16string startStation;
    std::u16string endStation;
    int typeIndex = -1;         // index into kTrainTypeEntries, -1 none
    std::u16string typeFilter;  // set from typeIndex; a missing selection keeps the last text
    int hourIndex = -1;         // 0-23, -1 none
    int minuteIndex = -1;       // 0-5 for "00".."50", -1 none
    // "ResultCount" as the screen read it just before the search; kFallbackPageSize when
    // the store could not be read.
    std::uint32_t storedPageSize = kFallbackPageSize;
    // The page size the last search worked with; before any, "ResultCount" as start-up found it.
    unsigned pageSize = 0;
    // Set by Next: the exact place the page begins (the hour and minute show its step).
    std::optional<PageBound> after;
    // The day (days since 1970-01-01) the search answers for where the set carries dates;
    // nothing, or a set without dates, lists every train as the 64 files always did.
    std::optional<int> serviceDay;
};

}  // namespace velomar
