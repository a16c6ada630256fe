#pragma once

// Which timetable files hold each train. The search finds a train for a station pair only in
// the files that route selection names for the pair, so a train goes into the file of each
// route and direction needed for every pair of its calls (S before E) that some route lists:
// the files are chosen greedily, the one serving most of the pairs still unserved first; on a
// tie a line before a through route, then the route with fewer stations, then the lower index. A
// file holds at most 79 trains and each train number once; trains are placed in order of priority
// (more days of the week, then more calls, then the earlier departure) and a train that would need
// a file already full is left out whole. Within a file the trains stand in the order of their time
// at the file's first station, as far as the trains' own running times tell it, so that the search,
// which offers only the first trains of a file in column order, meets them in time order.

#include <array>
#include <string>
#include <vector>

#include "import/network_model.h"
#include "import/trip_reader.h"

namespace velomar {

inline constexpr int kFileCapacity = 79;

struct ImportTrain {
    std::u16string code;
    std::u16string number;
    WeekDays days = 0;
    std::vector<TrainCall> calls;
    // A file and column from Velomar's own export: honoured when the train fits that file.
    int hintFile = -1;
    int hintColumn = 0;
};

struct FileColumn {
    int train;
    std::vector<int> calls;  // indices into the train's calls written into this file
};

struct Placement {
    std::array<std::vector<FileColumn>, kFileCount> files;  // in column order
    std::vector<int> skipped;  // per train: -1 placed, else SkipReason::FileFull or NumberTaken
    std::array<bool, kFileCount> refused{};  // a train was refused for want of room here
    int trainsWithUnservedPairs = 0;         // placed, but some pair of calls no file can serve
};

Placement PlaceTrains(const std::vector<ImportTrain>& trains);

// Whether `train`'s calls all stand on the route of `file`, in the order of its rows.
bool FitsFileWhole(const ImportTrain& train, int file);

}  // namespace velomar
