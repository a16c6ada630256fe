#pragma once

// The train code for a type and the days a train runs in the imported week: every day gives
// the plain code, exactly the days of one of the type's restrictions give that code, and any
// other set the code with the fewest days that include them all (the train is then shown on
// more days than it runs).

#include <string_view>

#include "timetable/day_letters.h"

namespace velomar {

struct ChosenCode {
    std::u16string_view code;
    bool exact;  // the code's days are the train's days
};

// type: 0 무궁화, 1 새마을, 2 KTX, 3 통일호, 4 누리로. days must not be empty.
ChosenCode TrainCodeFor(int type, WeekDays days);

}  // namespace velomar
