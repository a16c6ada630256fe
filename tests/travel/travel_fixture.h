#pragma once

// Tiny timetables in memory (support/timetable_text.h shows how they are written), read into
// a TimetableSet as the board and the planner read them.

#include <string_view>

#include "support/timetable_text.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "travel/timetable_set.h"

namespace velomar::testing_support {

struct TravelWorld {
    MemoryFileReader reader;
    TimetableDirectory directory{reader, "/fixture"};
    TimetableSet set;

    void addFile(int route, Direction direction, std::string_view table) {
        reader.add(directory.pathOf(route, direction), TimetableText(table));
    }
    // Every file of the network; the ones never added stay unreadable, as missing files do.
    const TimetableSet& load() {
        set = TimetableSet();
        set.load(directory, AllTimetableFiles());
        return set;
    }
};

}  // namespace velomar::testing_support
