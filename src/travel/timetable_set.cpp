#include "travel/timetable_set.h"

#include <algorithm>

#include "network/route_table.h"
#include "platform/message_sink.h"

namespace velomar {

namespace {

// The loader's own messages name no file; the set lists the files instead.
class QuietSink : public MessageSink {
  public:
    void showMessage(std::u16string_view, std::u16string_view) override {}
};

// Positions of the station in each route's list (Down order), and the route's length.
struct Place {
    int route;
    int position;
    int length;
};

std::vector<Place> PlacesOf(std::u16string_view stationName) {
    std::vector<int> lengths(kRouteCount, 0);
    std::vector<Place> places;
    for (const RouteRecord& record : RouteTable()) {
        if (!IsStationRecord(record) || record.route >= static_cast<unsigned>(kRouteCount)) {
            continue;
        }
        const int route = static_cast<int>(record.route);
        if (record.name == stationName) {
            places.push_back({route, lengths[static_cast<std::size_t>(route)], 0});
        }
        ++lengths[static_cast<std::size_t>(route)];
    }
    for (Place& place : places) {
        place.length = lengths[static_cast<std::size_t>(place.route)];
    }
    return places;
}

// Down trains leave a station that is not last in the list; Up trains one that is not first.
std::vector<RouteCode> FilesWhere(std::u16string_view stationName, bool leaving) {
    std::vector<RouteCode> files;
    for (const Place& place : PlacesOf(stationName)) {
        const bool first = place.position == 0;
        const bool last = place.position + 1 == place.length;
        for (Direction d : {Direction::Up, Direction::Down}) {
            const bool down = d == Direction::Down;
            if (down == leaving ? last : first) {
                continue;
            }
            files.push_back(RouteCode::of(place.route, d));
        }
    }
    const auto fileOrder = [](RouteCode a, RouteCode b) {
        return a.route() != b.route() ? a.route() < b.route() : a.direction() < b.direction();
    };
    std::sort(files.begin(), files.end(), fileOrder);
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

}  // namespace

void TimetableSet::load(const TimetableDirectory& directory, std::span<const RouteCode> files) {
    QuietSink quiet;
    for (RouteCode code : files) {
        const RouteCode file = code.firstSheet();
        if (!code.names_file() || m_sheets.contains(file)) {
            continue;
        }
        const std::vector<RouteCode>& sheets = m_sheets[file] = directory.sheets(file);
        for (RouteCode sheet : sheets) {
            CurrentTimetableFile current(directory.openSource(sheet));
            auto grid = std::make_unique<TimetableGrid>();
            if (LoadTimetableGrid(current, *grid, quiet)) {
                m_index[sheet] = m_files.size();
                m_files.push_back({sheet, std::move(grid)});
            } else {
                m_unreadable.push_back(sheet);
            }
        }
    }
}

const TimetableGrid* TimetableSet::find(RouteCode sheet) const {
    const auto found = m_index.find(sheet);
    return found == m_index.end() ? nullptr : m_files[found->second].grid.get();
}

std::span<const RouteCode> TimetableSet::sheetsOf(RouteCode file) const {
    const auto found = m_sheets.find(file);
    return found == m_sheets.end() ? std::span<const RouteCode>() : found->second;
}

std::vector<RouteCode> AllTimetableFiles() {
    std::vector<RouteCode> files;
    for (int r = 0; r < kRouteCount; ++r) {
        files.push_back(RouteCode::of(r, Direction::Up));
        files.push_back(RouteCode::of(r, Direction::Down));
    }
    return files;
}

std::vector<RouteCode> FilesLeaving(std::u16string_view stationName) {
    return FilesWhere(stationName, true);
}

std::vector<RouteCode> FilesReaching(std::u16string_view stationName) {
    return FilesWhere(stationName, false);
}

}  // namespace velomar
