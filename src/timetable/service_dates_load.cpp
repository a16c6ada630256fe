// TimeData/Dates.txt read from a timetable directory.

#include <algorithm>

#include "timetable/service_dates.h"

namespace velomar {

LoadedDates LoadServiceDates(const TimetableDirectory& directory,
                             const std::vector<RouteCode>* sheets) {
    return LoadServiceDatesFile(
        directory.reader(),
        directory.baseDirectory() / "TimeData" / std::string(kServiceDatesFileName), sheets);
}

LoadedDates LoadServiceDatesFile(const FileReader& reader, const std::filesystem::path& path,
                                 const std::vector<RouteCode>* sheets, std::string* kept) {
    LoadedDates loaded;
    const auto source = reader.openSource(path);
    if (!source) {
        // No dates: the set answers alike for every day. One that is there but cannot be
        // opened is no such set.
        if (reader.exists(path)) {
            loaded.status = DatesLoad::Failed;
            loaded.error = "TimeData/Dates.txt cannot be read";
        }
        return loaded;
    }
    std::string text;
    const bool periodOnly = sheets != nullptr && sheets->empty() && kept == nullptr;
    std::size_t period = std::string::npos;
    char piece[4096];
    for (;;) {
        const auto n = source->read(piece, sizeof piece);
        if (!n) {
            loaded.status = DatesLoad::Failed;
            loaded.error = "TimeData/Dates.txt cannot be read";
            return loaded;
        }
        if (*n == 0) {
            break;
        }
        if (text.size() + *n > kServiceDatesFileLimit) {
            loaded.status = DatesLoad::Failed;
            loaded.error = "TimeData/Dates.txt is larger than 16 MiB";
            return loaded;
        }
        const std::size_t before = text.size();
        text.append(piece, *n);
        // For the period alone the rest of a long file is not needed: it ends with the line.
        if (periodOnly && period == std::string::npos) {
            period = text.find("\nperiod", before < 8 ? 0 : before - 8);
        }
        if (periodOnly && period != std::string::npos &&
            text.find('\n', std::max(period + 1, before)) != std::string::npos) {
            break;
        }
    }
    ServiceDates::ParseError error;
    loaded.dates = ServiceDates::parse(text, error, sheets);
    loaded.status = loaded.dates ? DatesLoad::Loaded : DatesLoad::Failed;
    if (!loaded.dates) {
        loaded.error = "TimeData/Dates.txt: " + error.text();
        loaded.errorLine = error.line;
    }
    if (kept != nullptr) {
        *kept = std::move(text);
    }
    return loaded;
}

}  // namespace velomar
