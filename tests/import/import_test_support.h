#pragma once

// Tiny feeds kept in memory: each file given as raw CSV text, imported as a folder feed.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "import/feed_source.h"
#include "import/gtfs_import.h"
#include "timetable/file_reader.h"

namespace velomar::testing_support {

// The files every small feed needs; tests replace or add files as they go.
inline std::map<std::string, std::string> BaseFeed() {
    return {
        {"routes.txt", "route_id,route_short_name,route_type\nM,무궁화,2\nK,KTX-산천,2\n"},
        {"calendar.txt",
         "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
         "end_date\nDAILY,1,1,1,1,1,1,1,20240101,20241231\n"},
    };
}

struct FeedRun {
    bool ok = false;
    std::string error;
    ImportReport report;
    ImportedTimetables timetables;

    // The written file of a route and direction, or one of its further sheets.
    std::string file(int route, bool down, int sheet = 1) const {
        return timetables.text(RouteCode::of(route, down ? Direction::Down : Direction::Up, sheet));
    }
};

inline FeedRun ImportFiles(const std::map<std::string, std::string>& files,
                           GtfsImportOptions options = {}) {
    MemoryFileReader reader;
    for (const auto& [name, text] : files) {
        reader.add(std::filesystem::path("/feed") / name, text);
    }
    const FolderFeed feed(reader, "/feed");
    FeedRun run;
    run.ok = ImportGtfs(feed, options, run.timetables, run.report, run.error);
    return run;
}

}  // namespace velomar::testing_support

namespace velomar::testing_support {

// A written timetable file as rows of cells (the row label first).
inline std::vector<std::vector<std::string>> FileRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("/\r\n", at)) != std::string::npos; at = end + 3) {
        std::vector<std::string> cells;
        std::size_t from = at;
        for (std::size_t tab; (tab = text.find('\t', from)) < end; from = tab + 1) {
            cells.push_back(text.substr(from, tab - from));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// The column of train `number` as "STATION:CELL" for its filled cells, or empty.
inline std::vector<std::string> TrainCells(const std::string& text, std::string_view number) {
    const auto rows = FileRows(text);
    std::vector<std::string> out;
    for (std::size_t c = 1; rows.size() > 1 && c < rows[1].size(); ++c) {
        if (rows[1][c] != number) {
            continue;
        }
        out.push_back("code:" + rows[0][c]);
        for (std::size_t r = 2; r < rows.size(); ++r) {
            if (rows[r][c] != "9999") {
                out.push_back(rows[r][0] + ":" + rows[r][c]);
            }
        }
    }
    return out;
}

}  // namespace velomar::testing_support
