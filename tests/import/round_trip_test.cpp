// The sample timetables exported as GTFS and imported again: the search must show the same
// pages on the imported set as on the samples, for every station pair that has trains.
#include <gtest/gtest.h>

#include <set>

#include "export/gtfs_export.h"
#include "import/network_model.h"
#include "import_test_support.h"
#include "platform/utf8.h"
#include "search/search.h"
#include "search/train_type.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "timetable/route_selection.h"

namespace velomar {
namespace {

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
                if (auto bytes = disk.readAll(onDisk.pathOf(route, direction))) {
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
    set->run = testing_support::ImportFiles(files);
    EXPECT_TRUE(set->run.ok) << set->run.error;
    for (int file = 0; file < kFileCount; ++file) {
        set->reader.add(std::filesystem::path("/imported/TimeData") / ImportFileName(file),
                        set->run.timetables.files[static_cast<std::size_t>(file)]);
    }
    return set;
}

// The page as search --format tsv prints it; the route code only when asked for.
std::vector<std::string> Page(const FileReader& reader, const std::filesystem::path& base,
                              std::u16string_view from, std::u16string_view to, int type,
                              int hour, bool withRouteCode) {
    const TimetableDirectory timetables(reader, base);
    MemorySettingsBackend settings;
    WriteNumberSetting(settings, kSettingsRoot, kSettingsKeyPath, kResultCountName, 14);
    TimetableGrid grid;
    RecordingMessageSink messages;
    SearchQuery query{std::u16string(from), std::u16string(to), type, {}, hour, 0, 0};
    ResultPage page(kPortraitCapacity);
    ResultRows list;
    CurrentTimetableFile current;
    RunSearch(query, page, list, current, {settings, timetables, grid, messages},
              NoRouteRule::ClearListAndEnd);
    std::vector<std::string> out;
    for (const ResultRow& row : list.rows) {
        const ResultSlot& slot = page[static_cast<std::size_t>(row.slot)];
        out.push_back(ToUtf8(row.trainNo) + "\t" + ToUtf8(row.departure) + "\t" +
                      ToUtf8(row.arrival) + "\t" + ToUtf8(row.typeLabel) +
                      (withRouteCode ? "\t" + std::to_string(slot.routeCode.value()) : ""));
    }
    return out;
}

struct Difference {
    std::string what;
    std::vector<std::string> expected;
    std::vector<std::string> actual;
};

// Files of the imported set that are not byte for byte the sample file.
std::set<int> DifferingFiles(const ImportedSet& set) {
    std::set<int> files;
    const TimetableDirectory samples(Samples(), "/samples");
    for (int file = 0; file < kFileCount; ++file) {
        const int route = file % kRouteCount;
        const Direction direction = file >= kRouteCount ? Direction::Down : Direction::Up;
        if (Samples().readAll(samples.pathOf(route, direction)) !=
            set.run.timetables.files[static_cast<std::size_t>(file)]) {
            files.insert(file);
        }
    }
    return files;
}

bool ReadsAnyOf(const RouteMasks& masks, const std::set<int>& files) {
    for (int file : files) {
        const int route = file % kRouteCount;
        const std::uint32_t mask = file >= kRouteCount ? masks.downMask : masks.upMask;
        if ((mask >> route) & 1u) {
            return true;
        }
    }
    return false;
}

// Every ordered pair of different stations that some route serves and whose first search
// (all types, from 00:00) lists a train, for each type and the hours 0, 7, 12 and 18. A search
// reads only the files route selection names for its pair, so a pair whose files are all the
// same in both sets gives the same pages: only the other pairs are searched, which keeps the
// test fast.
struct Comparison {
    int pairs = 0;
    int pages = 0;
    std::vector<Difference> differences;
};

Comparison ComparePages(const ImportedSet& set, bool withRouteCode) {
    Comparison result;
    const std::set<int> differing = DifferingFiles(set);
    const auto stations = NetworkStations();
    for (const NetworkStation& from : stations) {
        for (const NetworkStation& to : stations) {
            if (from.name == to.name || !ReadsAnyOf(SelectRoutes(from.name, to.name), differing) ||
                Page(Samples(), "/samples", from.name, to.name, 0, 0, false).empty()) {
                continue;
            }
            ++result.pairs;
            for (int type = 0; type < static_cast<int>(kTrainTypeEntries.size()); ++type) {
                for (int hour : {0, 7, 12, 18}) {
                    auto expected =
                        Page(Samples(), "/samples", from.name, to.name, type, hour, withRouteCode);
                    auto actual =
                        Page(set.reader, "/imported", from.name, to.name, type, hour, withRouteCode);
                    ++result.pages;
                    if (expected != actual) {
                        result.differences.push_back(
                            {ToUtf8(from.name) + " -> " + ToUtf8(to.name) + " type " +
                                 std::to_string(type) + " hour " + std::to_string(hour),
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
            const auto original = Samples().readAll(samples.pathOf(route, direction));
            ASSERT_TRUE(original);
            EXPECT_EQ(set->run.file(route, direction == Direction::Down), *original)
                << TimetableFileName(route, direction);
        }
    }
    // Identical files give identical pages, route codes included.
    EXPECT_EQ(DifferingFiles(*set), std::set<int>{});
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
