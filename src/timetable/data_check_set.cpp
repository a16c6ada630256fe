// The check of a whole TimeData folder: the files, their sheets and the dates.

#include <algorithm>
#include <map>
#include <string>

#include "network/route_table.h"
#include "platform/text_join.h"
#include "timetable/data_check.h"
#include "timetable/service_dates.h"

namespace velomar {

namespace {

void Report(DataCheckResult& result, std::string file, int line, std::string message) {
    ++result.problems;
    result.diagnostics.push_back({std::move(file), line, 0, std::move(message)});
}

// Checks a file or sheet; false when it cannot be opened. `trains` gets its train count.
bool CheckSheet(const FileReader& reader, const std::filesystem::path& path, RouteCode sheet,
                DataCheckResult& result, int& trains) {
    const auto source = reader.openSource(path);
    if (!source) {
        return false;
    }
    const int before = result.trains;
    CheckTimetableSource(*source, sheet.route(), sheet.direction(), TimetableFileName(sheet),
                         result);
    trains = result.trains - before;
    return true;
}

// The line of each sheet's line in a dates text.
std::map<RouteCode, int> SheetLines(std::string_view text) {
    std::map<RouteCode, int> lines;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t start = line.find_first_not_of(" \t");
        if (start != std::string_view::npos) {
            const std::string_view rest = line.substr(start);
            if (const auto code =
                    RouteCodeOfFileName(rest.substr(0, rest.find_first_of(" \t\r")))) {
                lines.try_emplace(*code, number);
            }
        }
    }
    return lines;
}

void CheckDates(const FileReader& reader, const std::filesystem::path& folder,
                const std::map<RouteCode, int>& trains, DataCheckResult& result) {
    const std::string name(kServiceDatesFileName);
    std::string text;
    const LoadedDates loaded = LoadServiceDatesFile(reader, folder / name, nullptr, &text);
    if (loaded.status == DatesLoad::Failed) {
        // The error names the file and the line, which the diagnostic gives by itself.
        std::string message = loaded.error;
        const std::string line = JoinText({"line ", std::to_string(loaded.errorLine), ": "});
        for (const std::string& head : {std::string("TimeData/Dates.txt: "), line}) {
            if (message.starts_with(head)) {
                message.erase(0, head.size());
            }
        }
        Report(result, name, static_cast<int>(loaded.errorLine), message);
        return;
    }
    if (!loaded.dates) {
        return;
    }
    ++result.filesChecked;
    const std::map<RouteCode, int> lines = SheetLines(text);
    for (RouteCode sheet : loaded.dates->sheets()) {
        const int line = lines.contains(sheet) ? lines.at(sheet) : 0;
        const std::string sheetName = TimetableFileName(sheet);
        const auto read = trains.find(sheet);
        if (read == trains.end()) {
            Report(result, name, line,
                   sheetName + " is no sheet that is read; its dates are not used");
            continue;
        }
        const std::size_t given = loaded.dates->columnPatterns(sheet)->size();
        if (given > static_cast<std::size_t>(read->second)) {
            Report(result, name, line,
                   JoinText({sheetName, " gives days for ", std::to_string(given),
                             " columns, but has ", std::to_string(read->second), " trains"}));
        }
    }
}

}  // namespace

DataCheckResult CheckTimetableData(const FileReader& reader,
                                   const std::filesystem::path& timeDataDirectory) {
    DataCheckResult result;
    std::map<RouteCode, int> trains;  // of every file and sheet the readers take
    for (Direction direction : {Direction::Up, Direction::Down}) {
        for (int route = 0; route < kRouteCount; ++route) {
            // As TimetableDirectory::sheets lists them: the file, then sheets while they exist.
            for (int sheet = 1; sheet <= RouteCode::kMaxSheets; ++sheet) {
                const RouteCode code = RouteCode::of(route, direction, sheet);
                const std::filesystem::path path = timeDataDirectory / TimetableFileName(code);
                if (sheet > 1 && !reader.exists(path)) {
                    break;
                }
                trains[code] = 0;
                if (!CheckSheet(reader, path, code, result, trains[code])) {
                    Report(
                        result, TimetableFileName(code), 0,
                        sheet == 1 ? "file is missing or cannot be read" : "sheet cannot be read");
                }
            }
        }
    }
    // Sheets beyond a missing one: no reader gets to them.
    for (const std::string& name : reader.fileNames(timeDataDirectory)) {
        const auto code = RouteCodeOfFileName(name);
        if (code && !trains.contains(*code)) {
            Report(result, name, 0,
                   JoinText({"sheet ", std::to_string(code->sheet()),
                             " is not read: a sheet before it is missing, and sheets are read up "
                             "to the first one missing"}));
        }
    }
    CheckDates(reader, timeDataDirectory, trains, result);
    return result;
}

}  // namespace velomar
