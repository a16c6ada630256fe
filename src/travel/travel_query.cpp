#include "travel/travel_query.h"

#include "timetable/train_codes.h"

namespace velomar {

std::u16string_view TypeFilterText(int typeIndex) {
    if (typeIndex < 0 || typeIndex >= static_cast<int>(kTrainTypeEntries.size())) {
        return kTrainTypeEntries[0];
    }
    return kTrainTypeEntries[static_cast<std::size_t>(typeIndex)];
}

}  // namespace velomar
