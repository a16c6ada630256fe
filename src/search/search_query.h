#pragma once

#include <cstdint>
#include <string>

namespace velomar {

// Page size when "ResultCount" cannot be read because the store is unavailable.
inline constexpr std::uint32_t kFallbackPageSize = 7;

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
};

}  // namespace velomar
