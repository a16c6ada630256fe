// The sample timetables exported as GTFS and imported again: the search must show the same
// pages on the imported set as on the samples, for every station pair that has trains.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "export/gtfs_export.h"
#include "import/network_model.h"
#include "import_test_support.h"
#include "platform/utf8.h"
#include "search/search.h"
#include "support/plain_timetable_reader.h"
#include "timetable/calendar_date.h"
#include "timetable/route_selection.h"
#include "timetable/text_decoding.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"
#include "timetable/train_codes.h"

namespace velomar {
namespace {

constexpr std::uint32_t kPageSize = 14;

std::filesystem::path SourceDirectory() {
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".");
}

// The sample files, read once.
const MemoryFileReader& Samples() {
    static const MemoryFileReader reader = [] {
        MemoryFileReader files;
        DiskFileReader disk;
        const TimetableDirectory onDisk(disk, SourceDirectory() / "data");
        for (int route = 0; route < kRouteCount; ++route) {
            for (Direction direction : {Direction::Up, Direction::Down}) {
                if (auto bytes = ReadWholeFile(disk, onDisk.pathOf(route, direction))) {
                    files.add(TimetableDirectory(files, "/samples").pathOf(route, direction),
                              std::move(*bytes));
                }
            }
        }
        return files;
    }();
    return reader;
}

// trips.txt without Velomar's own columns, as another tool would write the feed.
std::string WithoutVelomarColumns(const std::string& trips) {
    std::string out;
    std::size_t keep = 0;
    for (std::size_t at = 0; at < trips.size();) {
        const std::size_t end = trips.find("\r\n", at);
        std::string_view line(trips.data() + at, end - at);
        if (at == 0) {
            keep = std::count(line.begin(), line.substr(0, line.find(",velomar_")).end(), ',') + 1;
        }
        std::size_t cut = 0;
        for (std::size_t field = 0; cut != std::string_view::npos && field < keep; ++field) {
            cut = line.find(',', cut == 0 && field == 0 ? 0 : cut + 1);
        }
        out.append(line.substr(0, cut)).append("\r\n");
        at = end + 2;
    }
    return out;
}

// The 64 files, Up files first.
std::vector<RouteCode> TheFiles() {
    std::vector<RouteCode> files;
    for (const Direction direction : {Direction::Up, Direction::Down}) {
        for (int route = 0; route < kRouteCount; ++route) {
            files.push_back(RouteCode::of(route, direction));
        }
    }
    return files;
}

struct ImportedSet {
    MemoryFileReader reader;
    testing_support::FeedRun run;
};

std::unique_ptr<ImportedSet> RoundTrip(bool keepVelomarColumns) {
    GtfsFeed feed;
    std::string error;
    EXPECT_TRUE(BuildGtfsFeed(TimetableDirectory(Samples(), "/samples"), {}, feed, error)) << error;
    std::map<std::string, std::string> files;
    for (const GtfsFile& file : feed.files) {
        files[file.name] = file.name == "trips.txt" && !keepVelomarColumns
                               ? WithoutVelomarColumns(file.content)
                               : file.content;
    }
    auto set = std::make_unique<ImportedSet>();
    GtfsImportOptions options;
    options.period.week = GtfsDayNumber("20100101");  // the first week of the export's services
    set->run = testing_support::ImportFiles(files, options);
    EXPECT_TRUE(set->run.ok) << set->run.error;
    for (const RouteCode file : TheFiles()) {
        set->reader.add(std::filesystem::path("/imported/TimeData") / TimetableFileName(file),
                        set->run.timetables.text(file));
    }
    // The samples hold fewer than 79 trains a file: nothing goes into further sheets.
    EXPECT_EQ(set->run.report.sheets.size(), TheFiles().size());
    return set;
}

// The page as search --format tsv prints it; the route code only when asked for.
std::vector<std::string> Page(const FileReader& reader, const std::filesystem::path& base,
                              std::u16string_view from, std::u16string_view to, int type, int hour,
                              bool withRouteCode) {
    const TimetableDirectory timetables(reader, base);
    TimetableGrid grid;
    RecordingMessageSink messages;
    SearchQuery query;
    query.startStation = from;
    query.endStation = to;
    query.typeIndex = type;
    query.hourIndex = hour;
    query.minuteIndex = 0;
    query.storedPageSize = kPageSize;
    ResultPage page(kPortraitCapacity);
    ResultRows list;
    CurrentTimetableFile current;
    RunSearch(query, page, list, current, {timetables, grid, messages},
              NoRouteRule::ClearListAndEnd);
    std::vector<std::string> out;
    for (const ResultRow& row : list.rows) {
        const ResultSlot& slot = page[static_cast<std::size_t>(row.slot)];
        std::string line = ToUtf8(row.trainNo) + "\t" + ToUtf8(row.departure) + "\t" +
                           ToUtf8(row.arrival) + "\t" + ToUtf8(row.typeLabel);
        if (withRouteCode) {
            line += '\t';  // in steps: GCC 12 warns wrongly about "\t" + a temporary at -O2
            line += std::to_string(slot.routeCode.value());
        }
        out.push_back(std::move(line));
    }
    return out;
}

struct Difference {
    std::string what;
    std::vector<std::string> expected;
    std::vector<std::string> actual;
};

// Files of the imported set that are not byte for byte the sample file.
std::set<RouteCode> DifferingFiles(const ImportedSet& set) {
    std::set<RouteCode> files;
    const TimetableDirectory samples(Samples(), "/samples");
    for (const RouteCode file : TheFiles()) {
        if (ReadWholeFile(Samples(), samples.pathOf(file)) != set.run.timetables.text(file)) {
            files.insert(file);
        }
    }
    return files;
}

// Whether route selection's masks name the file.
bool Selects(const RouteMasks& masks, RouteCode file) {
    return (((file.direction() == Direction::Down ? masks.downMask : masks.upMask) >>
             file.route()) &
            1u) != 0;
}

// A file as the search sees it, with the route file it is.
struct LoadedFile {
    RouteCode file;
    std::unique_ptr<TimetableGrid> grid;
};

std::unique_ptr<TimetableGrid> GridOf(std::string_view bytes) {
    auto grid = std::make_unique<TimetableGrid>();
    ReadTimetableText(DecodeTimetableText(bytes), *grid);
    return grid;
}

// SelectRoutes by its equivalent rule: route r's Down file when it lists the departure at or
// before the arrival, its Up file when after. Much quicker than the walk over the route table,
// which the searches themselves still make.
RouteMasks MasksOf(std::u16string_view from, std::u16string_view to) {
    RouteMasks masks;
    const auto stations = NetworkStations();
    auto index = [&](std::u16string_view code) {
        return static_cast<std::size_t>(
            std::find_if(stations.begin(), stations.end(),
                         [&](const NetworkStation& s) { return s.code == code; }) -
            stations.begin());
    };
    const std::size_t a = index(from);
    const std::size_t b = index(to);
    for (int route = 0; route < kRouteCount; ++route) {
        const int sa = SlotsOfRoute(route).slotOf[a];
        const int sb = SlotsOfRoute(route).slotOf[b];
        if (sa >= 0 && sb >= 0) {
            (sa <= sb ? masks.downMask : masks.upMask) |= 1u << route;
        }
    }
    return masks;
}

// The trains a file offers the search for a pair, type and hour, before the cut after the
// first P + 1: type passed, both stations called at, leaving at or after the hour.
std::vector<std::array<std::u16string, 4>> Passing(const TimetableGrid& grid,
                                                   std::u16string_view from, std::u16string_view to,
                                                   const std::u16string& filter,
                                                   const std::u16string& key) {
    std::vector<std::array<std::u16string, 4>> out;
    const StationRows rows = LocateStationRows(grid, from, to);
    for (int column = 1; rows.departure && rows.arrival && column < kGridColumns; ++column) {
        const std::u16string_view departure = grid.cell(*rows.departure, column);
        const std::u16string_view arrival = grid.cell(*rows.arrival, column);
        if (departure != kNoTime && key <= departure && arrival != kNoTime &&
            PassesTypeFilter(filter, grid.cell(0, column))) {
            out.push_back({std::u16string(departure), std::u16string(arrival),
                           std::u16string(grid.cell(0, column)),
                           std::u16string(grid.cell(1, column))});
        }
    }
    return out;
}

bool ReadsAny(const RouteMasks& masks, const std::vector<LoadedFile>& files) {
    return std::any_of(files.begin(), files.end(),
                       [&](const LoadedFile& loaded) { return Selects(masks, loaded.file); });
}

// Whether the two versions of a differing file could make the page differ. A file that
// offers the same trains in another order gives the same page when it offers all of them (no
// more than P + 1) and no two leave at the same minute: the page keeps the earliest ones and
// only a tie depends on the order. Where this holds for every differing file the search
// names, the page comes out the same by construction.
bool MayDiffer(const std::vector<LoadedFile>& files, const RouteMasks& masks,
               std::u16string_view from, std::u16string_view to, int type, int hour) {
    SearchQuery query;
    query.typeIndex = type;
    SetTypeFilter(query);
    const std::u16string key = TimeKey(hour, 0);
    for (std::size_t i = 0; i + 1 < files.size(); i += 2) {
        if (!Selects(masks, files[i].file)) {
            continue;
        }
        auto before = Passing(*files[i].grid, from, to, query.typeFilter, key);
        auto after = Passing(*files[i + 1].grid, from, to, query.typeFilter, key);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        const bool tie =
            std::adjacent_find(before.begin(), before.end(), [](const auto& a, const auto& b) {
                return a[0] == b[0];
            }) != before.end();
        if (before != after || before.size() > kPageSize + 1 || tie) {
            return true;
        }
    }
    return false;
}

// Every ordered pair of different stations that some route serves, for each type and the
// hours 0, 7, 12 and 18. A search reads only the files route selection names for its pair, so
// only the searches where a file that differs between the sets may change the page are run
// (MayDiffer); all other pages are the same by construction, and the test stays fast.
struct Comparison {
    int pairs = 0;
    int pages = 0;
    std::vector<Difference> differences;
};

Comparison ComparePages(const ImportedSet& set, bool withRouteCode) {
    Comparison result;
    std::vector<LoadedFile> differing;  // both versions of each file that differs
    const TimetableDirectory samples(Samples(), "/samples");
    for (const RouteCode file : DifferingFiles(set)) {
        const auto original = ReadWholeFile(Samples(), samples.pathOf(file));
        differing.push_back({file, GridOf(original.value_or(""))});
        differing.push_back({file, GridOf(set.run.timetables.text(file))});
    }
    const auto stations = NetworkStations();
    for (const NetworkStation& from : stations) {
        for (const NetworkStation& to : stations) {
            const RouteMasks masks = MasksOf(from.code, to.code);
            if (from.name == to.name || !ReadsAny(masks, differing)) {
                continue;
            }
            bool counted = false;
            for (int type = 0; type < static_cast<int>(kTrainTypeEntries.size()); ++type) {
                for (int hour : {0, 7, 12, 18}) {
                    if (!MayDiffer(differing, masks, from.code, to.code, type, hour)) {
                        continue;
                    }
                    auto expected =
                        Page(Samples(), "/samples", from.name, to.name, type, hour, withRouteCode);
                    auto actual = Page(set.reader, "/imported", from.name, to.name, type, hour,
                                       withRouteCode);
                    ++result.pages;
                    result.pairs += counted ? 0 : 1;
                    counted = true;
                    if (expected != actual) {
                        result.differences.push_back({ToUtf8(from.name) + " -> " + ToUtf8(to.name) +
                                                          " type " + std::to_string(type) +
                                                          " hour " + std::to_string(hour),
                                                      std::move(expected), std::move(actual)});
                    }
                }
            }
        }
    }
    return result;
}

void ExpectNoDifference(const Comparison& comparison) {
    EXPECT_EQ(comparison.differences.size(), 0u)
        << "of " << comparison.pages << " pages of " << comparison.pairs << " pairs";
    for (std::size_t i = 0; i < comparison.differences.size() && i < 5; ++i) {
        const Difference& d = comparison.differences[i];
        ADD_FAILURE() << d.what << "\nexpected:\n  " << ::testing::PrintToString(d.expected)
                      << "\nactual:\n  " << ::testing::PrintToString(d.actual);
    }
}

TEST(GtfsRoundTrip, VelomarsOwnFeedComesBackFileForFile) {
    const auto set = RoundTrip(true);
    EXPECT_EQ(set->run.report.tripsImported, set->run.report.tripsRead);
    for (int route = 0; route < kRouteCount; ++route) {
        for (Direction direction : {Direction::Up, Direction::Down}) {
            const TimetableDirectory samples(Samples(), "/samples");
            const auto original = ReadWholeFile(Samples(), samples.pathOf(route, direction));
            ASSERT_TRUE(original);
            EXPECT_EQ(set->run.file(route, direction == Direction::Down), *original)
                << TimetableFileName(route, direction);
        }
    }
    // Identical files give identical pages, route codes included.
    EXPECT_EQ(DifferingFiles(*set), std::set<RouteCode>{});
}

TEST(GtfsRoundTrip, AFeedWithoutVelomarsColumnsGivesTheSamePages) {
    const auto set = RoundTrip(false);
    EXPECT_EQ(set->run.report.tripsImported, set->run.report.tripsRead);
    const Comparison comparison = ComparePages(*set, false);
    EXPECT_GT(comparison.pairs, 100);
    ExpectNoDifference(comparison);
    RecordProperty("pairs", comparison.pairs);
    RecordProperty("pages", comparison.pages);
}

}  // namespace
}  // namespace velomar
