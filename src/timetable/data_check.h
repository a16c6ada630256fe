#pragma once

// Checks timetable files against the format and against the route tables, so that a broken
// data set is found before a search silently misses its trains.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"

namespace velomar {

// One problem. `line` is the 1-based line of the file (line 1 holds the train codes, line 2
// the train numbers, line 3 the first station). `column` is the 1-based cell in that line:
// cell 1 is the row label or station code, cell k + 1 belongs to the k-th train. Zero means
// the problem concerns the whole line (column) or the whole file (line and column).
struct DataDiagnostic {
    std::string file;  // file name only, "UpData_03.txt"
    int line = 0;
    int column = 0;
    std::string message;  // UTF-8

    friend bool operator==(const DataDiagnostic&, const DataDiagnostic&) = default;
};

struct DataCheckResult {
    std::vector<DataDiagnostic> diagnostics;
    int filesChecked = 0;  // files that could be read
    int trains = 0;        // train columns in those files

    bool clean() const { return diagnostics.empty(); }
};

inline constexpr int kMaxTrainsPerFile = 79;
inline constexpr int kMaxStationRows = 68;

// Checks the bytes of one file as the `direction` file of `route` (0-31). Accepts the
// encodings the reader accepts.
void CheckTimetableFile(std::string_view bytes, int route, Direction direction,
                        const std::string& fileName, DataCheckResult& result);

// Checks the 64 files in `timeDataDirectory` (the TimeData folder itself), Up files of routes
// 0-31 first, then the Down files. A file that cannot be read is reported as missing.
DataCheckResult CheckTimetableData(const FileReader& reader,
                                   const std::filesystem::path& timeDataDirectory);

}  // namespace velomar
