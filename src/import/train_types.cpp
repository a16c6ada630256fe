#include "import/train_types.h"

namespace velomar {

namespace {

struct TypeName {
    std::string_view name;
    int type;
};

constexpr TypeName kTypeNames[] = {
    {"무궁화", 0},   {"무궁화호", 0}, {"새마을", 1}, {"새마을호", 1}, {"ITX-새마을", 1},
    {"ITX-마음", 1}, {"통일호", 3},   {"누리로", 4}, {"누리로호", 4},
};

}  // namespace

std::optional<int> TrainTypeOfRouteName(std::string_view name) {
    name = TrimBlanks(name);
    if (name.starts_with("KTX")) {
        const std::string_view rest = name.substr(3);
        if (rest.empty() || rest[0] == '-' || rest[0] == ' ' || rest[0] == '(' ||
            rest.starts_with("\xC2\xB7")) {  // "KTX·산천"
            return 2;
        }
    }
    for (const TypeName& entry : kTypeNames) {
        if (entry.name == name) {
            return entry.type;
        }
    }
    return std::nullopt;
}

bool ReadFeedRoutes(CsvTable& table, const TypeOverrides& overrides, FeedRoutes& out,
                    std::string& error) {
    if (!table.start({"route_id"})) {
        error = table.error();
        return false;
    }
    const auto idColumn = table.column("route_id");
    const auto shortColumn = table.column("route_short_name");
    const auto longColumn = table.column("route_long_name");
    while (table.next()) {
        const std::string id(TrimBlanks(table.field(idColumn)));
        if (id.empty() || !out.indexOf.emplace(id, static_cast<int>(out.routes.size())).second) {
            error = table.where(id.empty() ? "route_id is empty"
                                           : "route_id '" + id + "' is given twice");
            return false;
        }
        const std::string_view shortName = TrimBlanks(table.field(shortColumn));
        const std::string_view longName = TrimBlanks(table.field(longColumn));
        FeedRoute route;
        route.name = !shortName.empty() ? shortName : !longName.empty() ? longName : id;
        std::optional<int> type;
        if (auto it = overrides.find(id); it != overrides.end()) {
            type = it->second;
        } else if (it = overrides.find(shortName); !shortName.empty() && it != overrides.end()) {
            type = it->second;
        } else if (it = overrides.find(longName); !longName.empty() && it != overrides.end()) {
            type = it->second;
        } else {
            type = TrainTypeOfRouteName(shortName);
            type = type ? type : TrainTypeOfRouteName(longName);
        }
        route.type = type.value_or(-1);
        out.routes.push_back(std::move(route));
    }
    error = table.error();
    return error.empty();
}

}  // namespace velomar
