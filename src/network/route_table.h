#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace velomar {

// A header record (position >= 100) opens each route; station records follow in Down order.
struct RouteRecord {
    std::u16string_view name;
    std::u16string_view code;
    unsigned position;
    unsigned route;
};

inline constexpr std::size_t kRouteRecordCount = 938;
inline constexpr int kRouteCount = 32;

// Station records are told from headers by this test alone.
constexpr bool IsStationRecord(const RouteRecord& record) {
    return record.position < 100;
}

std::span<const RouteRecord> RouteTable();

// Both walk the whole table and take the first match; any other text comes back unchanged.
std::u16string StationNameToCode(std::u16string_view text);
std::u16string StationCodeToName(std::u16string_view text);

// In place over a departure/arrival pair; each text is converted at most once.
void StationNameToCode(std::u16string& departure, std::u16string& arrival);
void StationCodeToName(std::u16string& departure, std::u16string& arrival);

}  // namespace velomar
