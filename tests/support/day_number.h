#pragma once

// Dates in test tables written as YYYYMMDD.

#include "timetable/calendar_date.h"

namespace velomar::testing_support {

inline int Day(const char* yyyymmdd) {
    return *GtfsDayNumber(yyyymmdd);
}

}  // namespace velomar::testing_support
