#pragma once

// What the commands say about station names that no route carries.

#include <iosfwd>
#include <string_view>

namespace velomar::cli {

// Whether some route lists a station of this name.
bool RouteCarries(std::u16string_view name);

// For a name no route carries, "did you mean: 서울" (or several names, comma-separated) on
// err when the station matcher knows near misses with trains; nothing otherwise.
void SuggestStationNames(std::ostream& err, std::u16string_view name);

// "velomar-cli COMMAND: no route serves 'NAME'" and the suggestion, when no route carries
// the name; false then.
bool CheckRouteStation(std::ostream& err, std::string_view command, std::u16string_view name);

}  // namespace velomar::cli
