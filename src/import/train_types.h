#pragma once

// GTFS routes to train types, the last digit of a train code: 0 무궁화, 1 새마을, 2 KTX,
// 3 통일호, 4 누리로. Every KTX variant is KTX; ITX-새마을 and ITX-마음 are 새마을. A route
// with no counterpart (ITX-청춘, say) is left out unless the user's --types file maps it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/csv_reader.h"
#include "import/overrides.h"
#include "import/string_index.h"

namespace velomar {

// The built-in rule for one route name (trimmed); nothing when it knows no type for it.
std::optional<int> TrainTypeOfRouteName(std::string_view name);

struct FeedRoute {
    std::string name;  // short name, else long name, else the id
    int type = -1;     // -1 for a route that is not imported
    long trips = 0;    // trips of the week on it, for the report
};

struct FeedRoutes {
    TextMap<int> indexOf;  // route_id to route
    std::vector<FeedRoute> routes;
};

bool ReadFeedRoutes(CsvTable& table, const TypeOverrides& overrides, FeedRoutes& out,
                    std::string& error);

}  // namespace velomar
