#pragma once

// What the departure board and the journey planner are asked, beyond the stations.

#include <cstddef>
#include <string_view>

namespace velomar {

struct TravelFilter {
    int typeIndex = 0;  // entry of the train-type list; 0 (all trains) passes every code
    int earliest = 0;   // minutes from the service day's midnight; trains leaving before stay out
};

// The filter text of the type list entry, as the search uses it.
std::u16string_view TypeFilterText(int typeIndex);

}  // namespace velomar
