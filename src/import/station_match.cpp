#include "import/station_match.h"

#include "import/network_model.h"
#include "platform/utf8.h"

namespace velomar {

namespace {

std::optional<StopMatch> Overridden(const StationOverrides& overrides, std::string_view key) {
    const auto it = overrides.find(key);
    if (it == overrides.end()) {
        return std::nullopt;
    }
    return it->second ? StopMatch{*it->second, StopMatchKind::Override}
                      : StopMatch{-1, StopMatchKind::Ignored};
}

// Own id, own name, then the parent station (a platform takes its station's name), then the
// name itself. `depth` guards against parents that loop.
StopMatch Resolve(FeedStops& stops, const std::vector<std::string>& ids,
                  const StationOverrides& overrides, std::vector<bool>& done, int stop, int depth) {
    const auto i = static_cast<std::size_t>(stop);
    if (done[i]) {
        return stops.matches[i];
    }
    StopMatch match;
    if (auto byId = Overridden(overrides, ids[i])) {
        match = *byId;
    } else if (auto byName = Overridden(overrides, stops.names[i])) {
        match = *byName;
    } else if (stops.parents[i] >= 0 && depth < 8) {
        match = Resolve(stops, ids, overrides, done, stops.parents[i], depth + 1);
        if (match.kind == StopMatchKind::Name || match.kind == StopMatchKind::Rename) {
            match.kind = StopMatchKind::Parent;
        }
    } else {
        match = MatchStationName(stops.names[i]);
    }
    stops.matches[i] = match;
    done[i] = true;
    return match;
}

}  // namespace

StopMatch MatchStationName(std::string_view name) {
    const auto wide = FromUtf8(TrimBlanks(name));
    if (!wide) {
        return {};
    }
    if (const auto station = NetworkStationByName(*wide)) {
        return {*station, StopMatchKind::Name};
    }
    for (const StationRename& rename : kStationRenames) {
        if (rename.now == *wide) {
            return {*NetworkStationByName(rename.network), StopMatchKind::Rename};
        }
    }
    return {};
}

bool ReadFeedStops(CsvTable& table, const StationOverrides& overrides, FeedStops& out,
                   std::string& error) {
    if (!table.start({"stop_id"})) {
        error = table.error();
        return false;
    }
    const auto idColumn = table.column("stop_id");
    const auto nameColumn = table.column("stop_name");
    const auto parentColumn = table.column("parent_station");
    std::vector<std::string> ids;
    std::vector<std::string> parentIds;
    while (table.next()) {
        const std::string id(TrimBlanks(table.field(idColumn)));
        if (id.empty() || !out.indexOf.emplace(id, static_cast<int>(ids.size())).second) {
            error = table.where(id.empty() ? "stop_id is empty"
                                           : "stop_id '" + id + "' is given twice");
            return false;
        }
        ids.push_back(id);
        out.names.emplace_back(TrimBlanks(table.field(nameColumn)));
        parentIds.emplace_back(TrimBlanks(table.field(parentColumn)));
    }
    if (!table.error().empty()) {
        error = table.error();
        return false;
    }
    for (const std::string& parent : parentIds) {
        const auto it = out.indexOf.find(parent);
        out.parents.push_back(parent.empty() || it == out.indexOf.end() ? -1 : it->second);
    }
    out.matches.assign(ids.size(), StopMatch{});
    out.calls.assign(ids.size(), 0);
    std::vector<bool> done(ids.size(), false);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        Resolve(out, ids, overrides, done, static_cast<int>(i), 0);
    }
    return true;
}

}  // namespace velomar
