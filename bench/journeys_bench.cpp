#include "journeys_bench.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "platform/utf8.h"
#include "search/search.h"
#include "travel/journeys.h"

namespace velomar::bench {
namespace {

namespace fs = std::filesystem;

class SilentSink : public MessageSink {
  public:
    void showMessage(std::u16string_view, std::u16string_view) override {}
};

class CountingRows : public ResultListView {
  public:
    void clearRows() override { rows = 0; }
    void insertRow(const ResultRow&) override { ++rows; }
    int rows = 0;
};

// Both questions from 00:00, every train type, a page's worth of answers.
JourneyQuery QueryOf(const SearchPair& pair) {
    return {pair.departure, pair.arrival, {0, 0}, kDefaultChangeMinutes, kPortraitCapacity};
}

// The search a main screen runs for the pair, files read on every iteration.
void DirectSearch(benchmark::State& state, const FileReader& reader, const fs::path& base,
                  const SearchPair& pair) {
    const TimetableDirectory directory(reader, base);
    SilentSink messages;
    auto grid = std::make_unique<TimetableGrid>();
    CountingRows list;
    for (auto _ : state) {
        SearchQuery query;
        query.startStation = pair.departure;
        query.endStation = pair.arrival;
        query.typeIndex = 0;
        query.hourIndex = 0;
        query.minuteIndex = 0;
        query.storedPageSize = kPortraitCapacity;
        ResultPage page(kPortraitCapacity);
        CurrentTimetableFile current;
        RunSearch(query, page, list, current, {directory, *grid, messages},
                  NoRouteRule::ClearListAndEnd);
        benchmark::DoNotOptimize(page);
    }
    state.counters["files"] = static_cast<double>(pair.files.size());
    state.counters["rows"] = list.rows;
}

// Everything `velomar-cli journeys` does after its start: read the files, then plan.
void Journeys(benchmark::State& state, const FileReader& reader, const fs::path& base,
              const SearchPair& pair) {
    const TimetableDirectory directory(reader, base);
    const JourneyQuery query = QueryOf(pair);
    const std::vector<RouteCode> files = JourneyFiles(pair.departure, pair.arrival);
    std::size_t found = 0;
    for (auto _ : state) {
        TimetableSet set;
        set.load(directory, files);
        const auto journeys = FindJourneys(set, query);
        found = journeys.size();
        benchmark::DoNotOptimize(journeys);
    }
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["journeys"] = static_cast<double>(found);
}

// The planner alone, on files read once before.
void JourneysQuery(benchmark::State& state, const FileReader& reader, const fs::path& base,
                   const SearchPair& pair) {
    const TimetableDirectory directory(reader, base);
    const JourneyQuery query = QueryOf(pair);
    TimetableSet set;
    set.load(directory, JourneyFiles(pair.departure, pair.arrival));
    for (auto _ : state) {
        const auto journeys = FindJourneys(set, query);
        benchmark::DoNotOptimize(journeys);
    }
}

}  // namespace

void RegisterJourneyBenchmarks(const Workloads& workloads, const FileReader& disk,
                               const fs::path& sampleBase, const FileReader& memory,
                               const fs::path& memoryBase) {
    for (const SearchPair* pair : {&workloads.journeyPair, &workloads.typicalPair,
                                   &workloads.busiestPair, &workloads.noRoute}) {
        const std::string& label = pair->label;
        benchmark::RegisterBenchmark(("DirectSearch/disk/" + label).c_str(),
                                     [&disk, &memory, sampleBase, memoryBase, pair](auto& s) {
                                         DirectSearch(s, disk, sampleBase, *pair);
                                     });
        benchmark::RegisterBenchmark(("Journeys/disk/" + label).c_str(),
                                     [&disk, &memory, sampleBase, memoryBase, pair](auto& s) {
                                         Journeys(s, disk, sampleBase, *pair);
                                     });
        benchmark::RegisterBenchmark(("DirectSearch/memory/" + label).c_str(),
                                     [&disk, &memory, sampleBase, memoryBase, pair](auto& s) {
                                         DirectSearch(s, memory, memoryBase, *pair);
                                     });
        benchmark::RegisterBenchmark(("Journeys/memory/" + label).c_str(),
                                     [&disk, &memory, sampleBase, memoryBase, pair](auto& s) {
                                         Journeys(s, memory, memoryBase, *pair);
                                     });
        benchmark::RegisterBenchmark(("Journeys/query/" + label).c_str(),
                                     [&disk, &memory, sampleBase, memoryBase, pair](auto& s) {
                                         JourneysQuery(s, memory, memoryBase, *pair);
                                     });
        benchmark::AddCustomContext(
            "journeys_" + label,
            label + ": " + ToUtf8(pair->departure) + " -> " + ToUtf8(pair->arrival) + ", " +
                std::to_string(JourneyFiles(pair->departure, pair->arrival).size()) +
                " files for the journeys, " + std::to_string(pair->files.size()) +
                " for the search");
    }
}

}  // namespace velomar::bench
