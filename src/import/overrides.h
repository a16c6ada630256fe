#pragma once

// The user's correction files: --stations (stop to network station) and --types (GTFS route
// to train type). Both are TSV: a key (an id or a name), a TAB, a value; "-" as the value
// means "leave it out". Lines starting with "#" and empty lines are skipped.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velomar {

// Key to network station index; nothing for "-".
using StationOverrides = std::map<std::string, std::optional<int>, std::less<>>;
// Key to type digit (0 무궁화, 1 새마을, 2 KTX, 3 통일호, 4 누리로); nothing for "-".
using TypeOverrides = std::map<std::string, std::optional<int>, std::less<>>;

// Fail (error names the file and line) on a line without a TAB, an unknown station or type,
// or a key given twice.
bool ReadStationOverrides(std::string_view text, const std::string& fileName, StationOverrides& out,
                          std::string& error);
bool ReadTypeOverrides(std::string_view text, const std::string& fileName, TypeOverrides& out,
                       std::string& error);

// The type digit of a type name as the type list shows it ("KTX", "새마을", ...) or of "0"-"4".
std::optional<int> TypeDigitOfName(std::u16string_view name);

}  // namespace velomar
