#pragma once

// One train between two of its stops, as one timetable file or sheet lists it: what a result
// slot, a line of the departure board, a direct train and a leg of a journey each are.

#include <string>

#include "timetable/timetable_file.h"

namespace velomar {

struct TrainRide {
    std::u16string trainNo;
    std::u16string typeLabel;  // TypeLabel of the train's code
    // The departure cell as the file has it ("3015" after midnight): every reader orders by it.
    std::u16string departureKey;
    std::u16string arrivalCell;  // as the file has it
    RouteCode routeCode;         // the file or sheet that lists the train, for the detail
    // Station names, where the question does not already give them (the search leaves them
    // empty: its page is for the form's two stations).
    std::u16string from;
    std::u16string to;
    friend bool operator==(const TrainRide&, const TrainRide&) = default;
};

}  // namespace velomar
