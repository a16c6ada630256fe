#pragma once

// Several timetable files held at once, each in a grid of its own, for questions that span
// many files (a station's departures, journeys with a change). The search keeps to its one
// shared grid; these do not disturb it.

#include <array>
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

    // Reads each file not held yet; one that cannot be opened or read is listed in
    // unreadable() instead.
    void load(const TimetableDirectory& directory, std::span<const RouteCode> files);

    // The grid of a file that was read, or null.
    const TimetableGrid* find(RouteCode code) const;
    std::span<const File> files() const { return m_files; }
    std::span<const RouteCode> unreadable() const { return m_unreadable; }

  private:
    std::vector<File> m_files;  // in the order read
    // By route code value (0-131): the place in m_files, -1 for none.
    std::array<int, 132> m_index = [] {
        std::array<int, 132> index{};
        index.fill(-1);
        return index;
    }();
    std::vector<RouteCode> m_unreadable;
};

// Every file, route 0 to 31, Up before Down.
std::vector<RouteCode> AllTimetableFiles();

// The files whose trains can leave the station for another one (it is not the last station of
// the route in that direction), and those whose trains can reach it from another one, by the
// route table. In file order.
std::vector<RouteCode> FilesLeaving(std::u16string_view stationName);
std::vector<RouteCode> FilesReaching(std::u16string_view stationName);

}  // namespace velomar
