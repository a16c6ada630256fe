#include "cli/station_names.h"

#include <ostream>

#include "network/route_table.h"
#include "network/station_matcher.h"
#include "platform/utf8.h"

namespace velomar::cli {

bool RouteCarries(std::u16string_view name) {
    // One walk of the route table: every search asks, and most names are right.
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record) && record.name == name) {
            return true;
        }
    }
    return false;
}

void SuggestStationNames(std::ostream& err, std::u16string_view name) {
    if (RouteCarries(name)) {
        return;
    }
    const auto names = SuggestStations(name);
    if (names.empty()) {
        return;
    }
    err << "did you mean: ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        err << (i == 0 ? "" : ", ") << ToUtf8(names[i]);
    }
    err << '\n';
}

bool CheckRouteStation(std::ostream& err, std::string_view command, std::u16string_view name) {
    if (RouteCarries(name)) {
        return true;
    }
    err << "velomar-cli " << command << ": no route serves '" << TerminalText(ToUtf8(name))
        << "'\n";
    SuggestStationNames(err, name);
    return false;
}

}  // namespace velomar::cli
