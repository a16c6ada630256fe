#pragma once

// Several timetable files held at once, each in a grid of its own, for questions that span
// many files (a station's departures, journeys with a change). The search keeps to its one
// shared grid; these do not disturb it.

#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {

class TimetableSet {
  public:
    struct File {
        RouteCode code;
        std::unique_ptr<TimetableGrid> grid;
    };

    // Reads the sheets of each file (route direction) not held yet: the file, then its further
    // sheets as the directory lists them. One that cannot be opened or read is listed in
    // unreadable() instead.
    void load(const TimetableDirectory& directory, std::span<const RouteCode> files);

    // The grid of a file or sheet that was read, or null.
    const TimetableGrid* find(RouteCode sheet) const;
    // The sheets of a file in reading order, as load() listed them (those that could not be
    // read included); none for a file never asked for.
    std::span<const RouteCode> sheetsOf(RouteCode file) const;
    std::span<const File> files() const { return m_files; }
    std::span<const RouteCode> unreadable() const { return m_unreadable; }

  private:
    std::vector<File> m_files;                             // in the order read
    std::map<RouteCode, std::size_t> m_index;              // sheet -> place in m_files
    std::map<RouteCode, std::vector<RouteCode>> m_sheets;  // file -> its sheets
    std::vector<RouteCode> m_unreadable;
};

// Every file, route 0 to 31, Up before Down (sheet 1 of each route direction).
std::vector<RouteCode> AllTimetableFiles();

// The files whose trains can leave the station for another one (it is not the last station of
// the route in that direction), and those whose trains can reach it from another one, by the
// route table. In file order.
std::vector<RouteCode> FilesLeaving(std::u16string_view stationName);
std::vector<RouteCode> FilesReaching(std::u16string_view stationName);

}  // namespace velomar
