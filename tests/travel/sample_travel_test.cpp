#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "network/route_table.h"
#include "network/station_matcher.h"
#include "platform/message_sink.h"
#include "platform/utf8.h"
#include "search/result_list.h"
#include "search/search.h"
#include "support/plain_timetable_reader.h"
#include "timetable/route_selection.h"
#include "timetable/service_time.h"
#include "timetable/time_text.h"
#include "timetable/train_codes.h"
#include "travel/board.h"
#include "travel/direct_trains.h"
#include "travel/journeys.h"

namespace velomar {
namespace {

namespace fs = std::filesystem;

// The 64 sample files in memory, read once for every test here: the search reads them
// through the reader, the board and the planner from the set.
struct Samples {
    MemoryFileReader reader;
    TimetableDirectory directory{reader, "/samples"};
    TimetableSet set;
    std::vector<std::u16string_view> stations;  // every station a route carries
    bool complete = false;

    Samples() {
        const char* source = std::getenv("VELOMAR_SOURCE_DIR");
        const fs::path data = fs::path(source ? source : ".") / "data" / "TimeData";
        DiskFileReader disk;
        for (RouteCode code : AllTimetableFiles()) {
            if (auto bytes =
                    ReadWholeFile(disk, data / TimetableFileName(code.route(), code.direction()))) {
                reader.add(directory.pathOf(code.route(), code.direction()), std::move(*bytes));
            }
        }
        set.load(directory, AllTimetableFiles());
        complete = set.unreadable().empty();
        for (const StationInfo& station : StationCatalogue()) {
            if (station.routes > 0) {
                stations.push_back(station.name);
            }
        }
    }
};

const Samples& SampleData() {
    static const Samples samples;
    return samples;
}

std::string PairText(std::u16string_view from, std::u16string_view to) {
    return ToUtf8(from) + " -> " + ToUtf8(to);
}

class QuietSink : public MessageSink {
  public:
    void showMessage(std::u16string_view, std::u16string_view) override {}
};

// One search page from the hour and minute step given, as the main screen runs it.
struct Page {
    std::vector<ResultRow> rows;
    ResultPage slots{kPortraitCapacity};
};

Page Search(const Samples& samples, TimetableGrid& grid, std::u16string_view from,
            std::u16string_view to, int typeIndex, int hour, int minuteIndex) {
    QuietSink quiet;
    SearchQuery query;
    query.startStation = from;
    query.endStation = to;
    query.typeIndex = typeIndex;
    query.hourIndex = hour;
    query.minuteIndex = minuteIndex;
    query.storedPageSize = kPortraitCapacity;
    Page page;
    ResultRows list;
    CurrentTimetableFile current;
    RunSearch(query, page.slots, list, current, {samples.directory, grid, quiet},
              NoRouteRule::ClearListAndEnd);
    page.rows = list.rows;
    return page;
}

// Pages through the day as far as the search's ten-minute steps allow and compares every
// page with the direct trains from the same time: a full page with their first ones, the
// last page with all that are left.
void CompareWithSearch(const Samples& samples, TimetableGrid& grid, std::u16string_view from,
                       std::u16string_view to, int typeIndex) {
    int hour = 0;
    int minuteIndex = 0;
    for (int pages = 0; pages < 200; ++pages) {
        const Page page = Search(samples, grid, from, to, typeIndex, hour, minuteIndex);
        const auto direct = DirectTrains(samples.set, from, to, TypeFilterText(typeIndex),
                                         TimeKey(hour, minuteIndex));
        const std::string where = PairText(from, to) + " type " + std::to_string(typeIndex) +
                                  " from " + std::to_string(hour) + ":" +
                                  std::to_string(minuteIndex) + "0";
        if (page.rows.size() < kPortraitCapacity) {
            ASSERT_EQ(direct.size(), page.rows.size()) << where;
        } else {
            ASSERT_GE(direct.size(), page.rows.size()) << where;
        }
        for (std::size_t i = 0; i < page.rows.size(); ++i) {
            const ResultRow& row = page.rows[i];
            const ResultSlot& slot = page.slots[static_cast<std::size_t>(row.slot)];
            ASSERT_EQ(direct[i].trainNo, row.trainNo) << where << " row " << i;
            ASSERT_EQ(direct[i].departureKey, slot.departureKey) << where << " row " << i;
            ASSERT_EQ(FormatClock(DisplayTime(direct[i].arrivalCell)), row.arrival) << where;
            ASSERT_EQ(direct[i].typeLabel, row.typeLabel) << where;
            ASSERT_EQ(direct[i].routeCode, slot.routeCode) << where;
        }
        if (page.rows.size() < kPortraitCapacity) {
            return;
        }
        // On from the step of the last train listed; the page then starts at or before it.
        const int minutes = *CellMinutes(page.slots[kPortraitCapacity - 1].departureKey);
        if (minutes >= 24 * 60) {
            return;  // after midnight: every later time admits the same trains
        }
        const int nextHour = minutes / 60;
        const int nextMinute = minutes % 60 / 10;
        if (nextHour == hour && nextMinute == minuteIndex) {
            return;  // fourteen trains within ten minutes: no step of the search gets past them
        }
        hour = nextHour;
        minuteIndex = nextMinute;
    }
}

// Every ordered pair of different stations on a common route, each once. Pairs on no common
// route get no route from the search and no direct train by construction.
std::vector<std::pair<std::u16string_view, std::u16string_view>> PairsOnARoute() {
    std::vector<std::vector<std::u16string_view>> routes(kRouteCount);
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record)) {
            routes[record.route].push_back(record.name);
        }
    }
    std::set<std::pair<std::u16string_view, std::u16string_view>> pairs;
    for (const auto& names : routes) {
        for (std::u16string_view a : names) {
            for (std::u16string_view b : names) {
                if (a != b) {
                    pairs.insert({a, b});
                }
            }
        }
    }
    return {pairs.begin(), pairs.end()};
}

const std::vector<std::pair<std::u16string_view, std::u16string_view>>& Pairs() {
    static const auto pairs = PairsOnARoute();
    return pairs;
}

// The pairs are split into shards that ctest runs side by side.
constexpr int kShards = 4;

class SampleDirectTrains : public testing::TestWithParam<int> {};

TEST_P(SampleDirectTrains, AreTheSearchsTrainsForEveryPair) {
    const Samples& samples = SampleData();
    ASSERT_TRUE(samples.complete);
    TimetableGrid grid;
    const auto& pairs = Pairs();
    for (std::size_t i = static_cast<std::size_t>(GetParam()); i < pairs.size(); i += kShards) {
        CompareWithSearch(samples, grid, pairs[i].first, pairs[i].second, 0);
        if (HasFatalFailure()) {
            return;
        }
    }
}

// The other train types on every twenty-fifth pair.
TEST_P(SampleDirectTrains, AreTheSearchsTrainsForEachType) {
    const Samples& samples = SampleData();
    TimetableGrid grid;
    const auto& pairs = Pairs();
    for (std::size_t i = static_cast<std::size_t>(GetParam()); i < pairs.size();
         i += 25 * kShards) {
        for (int type = 1; type < static_cast<int>(kTrainTypeEntries.size()); ++type) {
            CompareWithSearch(samples, grid, pairs[i].first, pairs[i].second, type);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, SampleDirectTrains, testing::Range(0, kShards));

// ---------------------------------------------------------------------------------------------
// Journeys on the samples: each one a ride the files hold, the best ones, the same with every
// file read as with the files the planner picks.

// The file's column of the train that leaves `from` at the departure cell and reaches `to`
// later at the arrival cell; false when the file holds no such ride.
bool FileHoldsLeg(const Samples& samples, const TrainRide& leg) {
    const TimetableGrid* grid = samples.set.find(leg.routeCode);
    if (grid == nullptr) {
        return false;
    }
    const std::u16string fromCode = StationNameToCode(leg.from);
    const std::u16string toCode = StationNameToCode(leg.to);
    for (int k = 1; k < kGridColumns; ++k) {
        if (grid->cell(1, k) != leg.trainNo) {
            continue;
        }
        bool left = false;
        for (int r = 2; r < kGridRows; ++r) {
            left = left || (grid->cell(r, 0) == fromCode && grid->cell(r, k) == leg.departureKey);
            if (left && grid->cell(r, 0) == toCode && grid->cell(r, k) == leg.arrivalCell) {
                return true;
            }
        }
    }
    return false;
}

void CheckJourneys(const Samples& samples, const JourneyQuery& query,
                   const std::vector<Journey>& journeys) {
    const std::string where = PairText(query.from, query.to);
    const auto direct = DirectJourneys(samples.set, query);
    for (std::size_t i = 0; i < journeys.size(); ++i) {
        const Journey& j = journeys[i];
        ASSERT_TRUE(j.legs.size() == 1 || j.legs.size() == 2) << where;
        EXPECT_EQ(j.legs.front().from, query.from) << where;
        EXPECT_EQ(j.legs.back().to, query.to) << where;
        EXPECT_GE(j.departure, query.filter.earliest) << where;
        EXPECT_EQ(j.departure, *CellMinutes(j.legs.front().departureKey)) << where;
        EXPECT_EQ(j.arrival, *CellMinutes(j.legs.back().arrivalCell)) << where;
        for (const TrainRide& leg : j.legs) {
            EXPECT_TRUE(FileHoldsLeg(samples, leg)) << where << " train " << ToUtf8(leg.trainNo);
        }
        if (j.legs.size() == 2) {
            EXPECT_EQ(j.legs[0].to, j.legs[1].from) << where;
            EXPECT_GE(*CellMinutes(j.legs[1].departureKey) - *CellMinutes(j.legs[0].arrivalCell),
                      query.minimumChange)
                << where;
        } else {
            EXPECT_NE(std::find(direct.begin(), direct.end(), j), direct.end()) << where;
        }
        if (i > 0) {
            EXPECT_LE(journeys[i - 1].departure, j.departure) << where;
        }
    }
    // Nothing listed beats another, and every direct train left out is beaten by one listed.
    EXPECT_EQ(ParetoJourneys(journeys).size(), journeys.size()) << where;
    for (const Journey& d : direct) {
        std::vector<Journey> with = journeys;
        with.push_back(d);
        EXPECT_EQ(ParetoJourneys(with).size(), journeys.size())
            << where << " direct " << ToUtf8(d.legs[0].trainNo) << " neither listed nor beaten";
    }
}

TEST_P(SampleDirectTrains, JourneysAreRidesTheFilesHoldAndNoneIsBeaten) {
    const Samples& samples = SampleData();
    const auto& pairs = Pairs();
    for (std::size_t i = static_cast<std::size_t>(GetParam()); i < pairs.size(); i += 9 * kShards) {
        for (int earliest : {0, 12 * 60}) {
            const JourneyQuery query{std::u16string(pairs[i].first),
                                     std::u16string(pairs[i].second),
                                     {0, earliest},
                                     10,
                                     1000};
            CheckJourneys(samples, query, FindJourneys(samples.set, query));
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

// Every journey with one change, found the slow way: each train that leaves FROM, each later
// stop of it, each other train that leaves there late enough and reaches TO. The best
// arrival per train leaving FROM.
struct Call {
    std::u16string_view code;
    int minutes;
};

// The calls of every train of the samples, each file's columns in turn.
const std::vector<std::vector<Call>>& EveryTrain(const Samples& samples) {
    static const auto trains = [&] {
        std::vector<std::vector<Call>> all;
        for (const TimetableSet::File& file : samples.set.files()) {
            const TimetableGrid& grid = *file.grid;
            for (int k = 1; k < kGridColumns; ++k) {
                std::vector<Call>& calls = all.emplace_back();
                for (int r = 2; r < kGridRows; ++r) {
                    if (const auto minutes = CellMinutes(grid.cell(r, k))) {
                        calls.push_back({grid.cell(r, 0), *minutes});
                    }
                }
            }
        }
        return all;
    }();
    return trains;
}

// Every train type: the planner's type filter is tested on the small timetables.
std::vector<Journey> EveryOneChangeJourney(const Samples& samples, const JourneyQuery& query) {
    const auto& trains = EveryTrain(samples);
    const std::u16string from = StationNameToCode(query.from);
    const std::u16string to = StationNameToCode(query.to);
    // Every ride to TO by where it is boarded: when, when it arrives, on which train.
    struct Ride {
        int leaves;
        int arrives;
        std::size_t train;
    };
    std::map<std::u16string_view, std::vector<Ride>> rides;
    for (std::size_t t = 0; t < trains.size(); ++t) {
        const auto& b = trains[t];
        for (std::size_t q = 1; q < b.size(); ++q) {
            if (b[q].code != to) {
                continue;
            }
            for (std::size_t p = q; p-- > 0 && b[p].minutes <= b[p + 1].minutes;) {
                rides[b[p].code].push_back({b[p].minutes, b[q].minutes, t});
            }
        }
    }
    std::vector<Journey> journeys;
    for (std::size_t t = 0; t < trains.size(); ++t) {
        const auto& a = trains[t];
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i].code != from || a[i].minutes < query.filter.earliest) {
                continue;
            }
            int best = INT_MAX;
            for (std::size_t j = i + 1; j < a.size() && a[j].minutes >= a[j - 1].minutes; ++j) {
                const auto there = rides.find(a[j].code);
                if (there == rides.end()) {
                    continue;
                }
                for (const Ride& ride : there->second) {
                    if (ride.train != t && ride.leaves >= a[j].minutes + query.minimumChange) {
                        best = std::min(best, ride.arrives);
                    }
                }
            }
            if (best != INT_MAX) {
                Journey j;
                j.legs.resize(2);
                j.departure = a[i].minutes;
                j.arrival = best;
                journeys.push_back(j);
            }
        }
    }
    return journeys;
}

struct Times {
    int departure;
    int arrival;
    int changes;
    friend bool operator==(const Times&, const Times&) = default;
};

std::vector<Times> TimesOf(const std::vector<Journey>& journeys) {
    std::vector<Times> times;
    for (const Journey& j : journeys) {
        times.push_back({j.departure, j.arrival, j.changes()});
    }
    return times;
}

TEST_P(SampleDirectTrains, JourneysAreTheBestThereAre) {
    const Samples& samples = SampleData();
    const auto& pairs = Pairs();
    const auto all = AllTimetableFiles();
    for (std::size_t i = static_cast<std::size_t>(GetParam()) * 31; i < pairs.size();
         i += 131 * kShards) {
        for (int change : {0, 10, 45}) {
            const JourneyQuery query{std::u16string(pairs[i].first),
                                     std::u16string(pairs[i].second),
                                     {0, 6 * 60},
                                     change,
                                     1000};
            const std::string where = PairText(query.from, query.to);
            const auto found = FindJourneys(samples.set, query);
            // The files the planner reads give what every file gives.
            EXPECT_EQ(found, FindJourneys(samples.set, query, all)) << where;
            std::vector<Journey> slow = DirectJourneys(samples.set, query);
            for (Journey& j : EveryOneChangeJourney(samples, query)) {
                slow.push_back(std::move(j));
            }
            EXPECT_EQ(TimesOf(found), TimesOf(ParetoJourneys(slow))) << where << " " << change;
        }
    }
}

}  // namespace
}  // namespace velomar
