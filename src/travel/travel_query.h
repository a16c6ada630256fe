#pragma once

// What the departure board and the journey planner are asked, beyond the stations.

#include <cstddef>
#include <string_view>

#include "search/train_admission.h"
#include "timetable/service_dates.h"

namespace velomar {

struct TravelFilter {
    TravelFilter(int type = 0, int from = 0, ServiceDay onDay = {})
        : typeIndex(type), earliest(from), day(onDay) {}

    int typeIndex = 0;  // entry of the train-type list; 0 (all trains) passes every code
    int earliest = 0;   // minutes from the service day's midnight; trains leaving before stay out
    ServiceDay day;     // the day answered for; none lists every train
};

// The filter text of the type list entry, as the search uses it.
std::u16string_view TypeFilterText(int typeIndex);

// The admission of the filter's type and day.
inline TrainAdmission AdmissionOf(const TravelFilter& filter) {
    return TrainAdmission(TypeFilterText(filter.typeIndex), filter.day);
}

}  // namespace velomar
