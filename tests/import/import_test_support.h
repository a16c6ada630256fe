#pragma once

// Tiny feeds kept in memory: each file given as raw CSV text, imported as a folder feed.

#include <map>
#include <string>
#include <string_view>

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

    // The written file of a route and direction.
    const std::string& file(int route, bool down) const {
        return timetables.files[static_cast<std::size_t>(FileIndex(route, down))];
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
