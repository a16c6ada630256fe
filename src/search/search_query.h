#pragma once

#include <string>

namespace velomar {

// What one search works on. The main screen refreshes it from its form before every search;
// the search changes the station texts in place (codes while scanning, names at the end).
struct SearchQuery {
    std::u16string startStation;
    std::u16string endStation;
    int typeIndex = -1;         // index into kTrainTypeEntries, -1 none
    std::u16string typeFilter;  // set from typeIndex; a missing selection keeps the last text
    int hourIndex = -1;         // 0-23, -1 none
    int minuteIndex = -1;       // 0-5 for "00".."50", -1 none
    unsigned pageSize = 0;      // "ResultCount" as read by the last search
};

}  // namespace velomar
