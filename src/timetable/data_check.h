#pragma once

// Checks timetable files against the format and against the route tables, so that a broken
// data set is found before a search silently misses its trains.
#include <cstddef>
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
    int filesChecked = 0;  // files that could be read to their end (or to what is read)
    int trains = 0;        // train columns in those files
    int problems = 0;      // all problems found, also those not listed

    bool clean() const { return diagnostics.empty(); }
};

inline constexpr int kMaxTrainsPerFile = 79;
inline constexpr int kMaxStationRows = 68;
// Problems listed per file; one more line says how many more there are.
inline constexpr std::size_t kMaxListedProblems = 100;

// Checks one open file as the `direction` file of `route` (0-31). Reads it as the reader
// does: in pieces, in the encodings the reader accepts, no further than the reader can store
// anything (70 lines) and never past kTimetableFileLimit bytes. A read that fails is one
// problem ("Read Data File Error"), and the file counts as not checked.
void CheckTimetableSource(ByteSource& source, int route, Direction direction,
                          const std::string& fileName, DataCheckResult& result);
// The same for bytes in memory.
void CheckTimetableFile(std::string_view bytes, int route, Direction direction,
                        const std::string& fileName, DataCheckResult& result);

// Checks the 64 files in `timeDataDirectory` (the TimeData folder itself), Up files of routes
// 0-31 first, then the Down files, each followed by its further sheets as the readers take
// them (up to the first one missing). A file that cannot be opened is reported as missing, a
// sheet after a gap as one no reader reaches. Then Dates.txt, when there is one: its faults
// with their line, lines of sheets that are not read, and more columns than the sheet has
// trains.
DataCheckResult CheckTimetableData(const FileReader& reader,
                                   const std::filesystem::path& timeDataDirectory);

}  // namespace velomar
