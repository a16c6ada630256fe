// velomar-bench: the core's hot paths in process. Benchmark names are kept stable; scripts
// read them from --benchmark_format=json. Setup notes go to stderr so that stdout stays JSON.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "heap_counter.h"
#include "journeys_bench.h"
#include "network/route_table.h"
#include "platform/host.h"
#include "platform/message_sink.h"
#include "platform/utf8.h"
#include "search/search.h"
#include "support/plain_timetable_reader.h"
#include "timetable/calendar_date.h"
#include "timetable/file_reader.h"
#include "timetable/route_selection.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"
#include "timetable/train_codes.h"
#include "workloads.h"

namespace velomar::bench {
namespace {

namespace fs = std::filesystem;

class SilentMessages : public MessageSink {
  public:
    void showMessage(std::u16string_view, std::u16string_view) override { ++count; }
    int count = 0;
};

class CountingList : public ResultListView {
  public:
    void clearRows() override { rows = 0; }
    void insertRow(const ResultRow&) override { ++rows; }
    int rows = 0;
};

// A timetable with every one of its 5600 cells written out: 79 trains at 68 stations.
std::string FullTimetableBytes() {
    std::string out;
    char cell[8];
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            if (column == 0) {
                std::snprintf(cell, sizeof cell, "%s", row == 0 ? "TYPE" : row == 1 ? "NUMB" : "");
                if (row >= 2) {
                    std::snprintf(cell, sizeof cell, "X%03d", row);
                }
            } else if (row == 0) {
                const std::u16string_view code =
                    kTrainCodes[static_cast<std::size_t>(column) % kTrainCodes.size()].code;
                for (int i = 0; i < kCellLength; ++i) {
                    cell[i] = static_cast<char>(code[static_cast<std::size_t>(i)]);
                }
                cell[kCellLength] = '\0';
            } else if (row == 1) {
                std::snprintf(cell, sizeof cell, "%04d", 1000 + column);
            } else {
                // Departures every 15 minutes from 05:00, a minute per station further on.
                const int minutes = 5 * 60 + column * 15 + (row - 2);
                int hour = minutes / 60;
                if (hour >= 24) {
                    hour = hour - 24 + 30;
                }
                std::snprintf(cell, sizeof cell, "%02d%02d", hour % 100, minutes % 60);
            }
            out.append(cell, kCellLength);
            out += '\t';
        }
        out += "/\r\n";
    }
    out += '=';
    return out;
}

struct Environment {
    fs::path sampleBase;  // holds TimeData/
    fs::path fullBase;    // holds TimeData/UpData_00.txt, the full 70 x 80 file
    DiskFileReader disk;
    MemoryFileReader memory;           // the 64 sample files
    MemoryFileReader fullMemory;       // the full file as route 0, Up
    std::map<int, std::string> bytes;  // sample file bytes by route code value
    std::string fullBytes;
    RouteCode largest;
    Workloads workloads;
    // bench/busy_set.py's set (VELOMAR_BENCH_BUSY_DATA) and the pair searched on it.
    fs::path busyBase;
    SearchPair busyPair;
};

Environment* g_env = nullptr;
// The one grid every benchmark loads into, as a run of the program has one.
TimetableGrid g_grid;

const std::string& BytesOf(RouteCode code) {
    return g_env->bytes.at(code.value());
}

// ---- Loading one file ----------------------------------------------------------------------

void LoadOne(benchmark::State& state, const FileReader& reader, const fs::path& base,
             RouteCode code, std::size_t size) {
    const TimetableDirectory directory(reader, base);
    TimetableGrid& grid = g_grid;
    SilentMessages messages;
    for (auto _ : state) {
        CurrentTimetableFile current;
        OpenTimetableFile(directory, code.route(), code.direction(), current, messages);
        const bool loaded = LoadTimetableGrid(current, grid, messages);
        benchmark::DoNotOptimize(loaded);
        benchmark::ClobberMemory();
    }
    if (messages.count != 0) {
        state.SkipWithError("the file could not be loaded");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// Reading the same files' bytes through the same reader, without decoding or parsing.
void ReadOnly(benchmark::State& state, const FileReader& reader, const fs::path& base,
              const std::vector<RouteCode>& files, std::size_t totalSize) {
    const TimetableDirectory directory(reader, base);
    for (auto _ : state) {
        for (RouteCode code : files) {
            auto bytes = ReadWholeFile(reader, directory.pathOf(code.route(), code.direction()));
            benchmark::DoNotOptimize(bytes);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * totalSize));
}

// Copying bytes already in memory: the floor for anything that touches every byte.
void CopyOnly(benchmark::State& state, const std::vector<const std::string*>& contents) {
    std::size_t total = 0;
    for (const std::string* c : contents) {
        total = std::max(total, c->size());
    }
    std::string target(total, '\0');
    std::size_t sum = 0;
    for (const std::string* c : contents) {
        sum += c->size();
    }
    for (auto _ : state) {
        for (const std::string* c : contents) {
            std::memcpy(target.data(), c->data(), c->size());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sum));
}

std::size_t TotalSize(const std::vector<RouteCode>& files) {
    std::size_t total = 0;
    for (RouteCode code : files) {
        total += BytesOf(code).size();
    }
    return total;
}

std::vector<const std::string*> ContentsOf(const std::vector<RouteCode>& files) {
    std::vector<const std::string*> out;
    for (RouteCode code : files) {
        out.push_back(&BytesOf(code));
    }
    return out;
}

// ---- Route selection -----------------------------------------------------------------------

void SelectRoutesBench(benchmark::State& state, std::u16string departure, std::u16string arrival) {
    for (auto _ : state) {
        const RouteMasks masks = SelectRoutes(departure, arrival);
        benchmark::DoNotOptimize(masks);
    }
}

// ---- One file's scan -----------------------------------------------------------------------

SearchQuery AllTrainsQuery(std::u16string departure, std::u16string arrival) {
    SearchQuery query;
    query.startStation = std::move(departure);
    query.endStation = std::move(arrival);
    query.typeIndex = 0;
    query.hourIndex = 0;
    query.minuteIndex = 0;
    query.pageSize = kPortraitCapacity;
    SetTypeFilter(query);
    return query;
}

// The first and the last station of a route as its file lists them.
std::pair<std::u16string, std::u16string> EndsOf(RouteCode code) {
    std::vector<std::u16string_view> names;
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record) && static_cast<int>(record.route) == code.route()) {
            names.push_back(record.name);
        }
    }
    if (code.direction() == Direction::Up) {
        std::reverse(names.begin(), names.end());
    }
    return {std::u16string(names.front()), std::u16string(names.back())};
}

void ScanFileBench(benchmark::State& state) {
    const RouteCode code = g_env->largest;
    const auto [first, last] = EndsOf(code);
    const TimetableDirectory directory(g_env->memory, "/bench");
    SilentMessages messages;
    const SearchServices services{directory, g_grid, messages};
    SearchQuery query = AllTrainsQuery(first, last);
    ResultPage page;
    CountingList list;
    CurrentTimetableFile current;
    for (auto _ : state) {
        query.startStation = first;
        query.endStation = last;
        ResetPage(page);
        const ScanResult result =
            ScanFile(code, query, page, list, current, services, TrainAdmission(query.typeFilter));
        benchmark::DoNotOptimize(result);
    }
    if (!page.anyFound) {
        state.SkipWithError("the scan found no train");
    }
}

// ---- Insertion into a full page ------------------------------------------------------------

std::u16string FourDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", value);
    return std::u16string(text, text + 4);
}

ResultPage FullPage(int firstKey) {
    ResultPage page;
    ResetPage(page);
    for (std::size_t i = 0; i < page.capacity; ++i) {
        InsertResult(page, page.capacity, u"0101", FourDigits(firstKey + static_cast<int>(i)),
                     u"2359", u"KTX", RouteCode(0));
    }
    return page;
}

// Every train lands in slot 0 of a full page and pushes the others up: the costliest insert.
void InsertFrontBench(benchmark::State& state) {
    constexpr int kKeys = 9000;
    std::vector<std::u16string> keys;
    for (int i = kKeys - 1; i >= 0; --i) {
        keys.push_back(FourDigits(i));
    }
    const ResultPage full = FullPage(9000);
    ResultPage page = full;
    std::size_t next = 0;
    for (auto _ : state) {
        if (next == keys.size()) {
            page = full;
            next = 0;
        }
        InsertResult(page, page.capacity, u"0101", keys[next++], u"2359", u"KTX", RouteCode(0));
        benchmark::ClobberMemory();
    }
}

// A train later than every train of a full page: compared with every slot, then dropped.
void InsertDroppedBench(benchmark::State& state) {
    ResultPage page = FullPage(1000);
    const std::u16string late = u"2300";
    for (auto _ : state) {
        InsertResult(page, page.capacity, u"0101", late, u"2359", u"KTX", RouteCode(0));
        benchmark::ClobberMemory();
    }
}

// ---- Whole searches ------------------------------------------------------------------------

void RunSearchBench(benchmark::State& state, const FileReader& reader, const fs::path& base,
                    const SearchPair& pair, std::optional<int> serviceDay = std::nullopt) {
    const TimetableDirectory directory(reader, base);
    SilentMessages messages;
    const SearchServices services{directory, g_grid, messages};
    SearchQuery query = AllTrainsQuery(pair.departure, pair.arrival);
    query.storedPageSize = static_cast<std::uint32_t>(kPortraitCapacity);
    query.serviceDay = serviceDay;
    ResultPage page(kPortraitCapacity);
    CountingList list;
    CurrentTimetableFile current;
    // One search first so that the page holds its strings already.
    RunSearch(query, page, list, current, services, NoRouteRule::ClearListAndEnd);
    const int rows = list.rows;

    std::size_t allocated = 0;
    std::size_t allocations = 0;
    std::size_t peak = 0;
    for (auto _ : state) {
        const HeapMark mark;
        RunSearch(query, page, list, current, services, NoRouteRule::ClearListAndEnd);
        allocated = mark.allocatedBytes();
        allocations = mark.allocationCount();
        peak = mark.peakAboveStart();
    }
    if (list.rows != rows || query.startStation != pair.departure) {
        state.SkipWithError("repeated searches disagree");
    }
    if (messages.count != 0) {
        state.SkipWithError("the search showed a message");
    }
    state.counters["files"] = static_cast<double>(pair.files.size());
    state.counters["rows"] = rows;
    state.counters["heap_allocated_bytes"] = static_cast<double>(allocated);
    state.counters["heap_allocations"] = static_cast<double>(allocations);
    state.counters["heap_peak_bytes"] = static_cast<double>(peak);
}

// ---- Setup ---------------------------------------------------------------------------------

fs::path SampleBase() {
    if (const char* data = std::getenv("VELOMAR_BENCH_DATA")) {
        return data;
    }
    return ExecutableDirectory();
}

// Rows one portrait search lists for the pair, with every train type and hour.
int RowsFound(const FileReader& reader, const SearchPair& pair) {
    const TimetableDirectory directory(reader, "/bench");
    SilentMessages messages;
    TimetableGrid grid;
    SearchQuery query = AllTrainsQuery(pair.departure, pair.arrival);
    query.storedPageSize = static_cast<std::uint32_t>(kPortraitCapacity);
    ResultPage page(kPortraitCapacity);
    CountingList list;
    CurrentTimetableFile current;
    RunSearch(query, page, list, current, {directory, grid, messages},
              NoRouteRule::ClearListAndEnd);
    return list.rows;
}

// The median by file size of the neighbouring pairs whose search lists trains.
bool ChooseTypical(Environment& env) {
    std::vector<const SearchPair*> listed;
    for (const SearchPair& pair : env.workloads.typicalCandidates) {
        if (RowsFound(env.memory, pair) > 0) {
            listed.push_back(&pair);
        }
    }
    if (listed.empty()) {
        std::cerr << "velomar-bench: no neighbouring pair lists a train\n";
        return false;
    }
    std::stable_sort(listed.begin(), listed.end(), [](const SearchPair* a, const SearchPair* b) {
        return TotalSize(a->files) < TotalSize(b->files);
    });
    env.workloads.typicalPair = *listed[listed.size() / 2];
    return true;
}

bool Prepare(Environment& env) {
    env.sampleBase = SampleBase();
    for (int r = 0; r < kRouteCount; ++r) {
        for (Direction d : {Direction::Up, Direction::Down}) {
            const fs::path path = env.sampleBase / "TimeData" / TimetableFileName(r, d);
            auto bytes = ReadWholeFile(env.disk, path);
            if (!bytes) {
                std::cerr << "velomar-bench: cannot read " << path
                          << " (set VELOMAR_BENCH_DATA to the folder that holds TimeData/)\n";
                return false;
            }
            const RouteCode code = RouteCode::of(r, d);
            env.memory.add(TimetableDirectory(env.memory, "/bench").pathOf(r, d), *bytes);
            if (!env.bytes.contains(env.largest.value()) ||
                bytes->size() > env.bytes[env.largest.value()].size()) {
                env.largest = code;
            }
            env.bytes[code.value()] = std::move(*bytes);
        }
    }

    env.fullBytes = FullTimetableBytes();
    env.fullMemory.add(TimetableDirectory(env.fullMemory, "/bench").pathOf(0, Direction::Up),
                       env.fullBytes);
    env.fullBase = fs::temp_directory_path() / ("velomar-bench-" + std::to_string(getpid()));
    std::error_code error;
    fs::create_directories(env.fullBase / "TimeData", error);
    std::ofstream out(env.fullBase / "TimeData" / TimetableFileName(0, Direction::Up),
                      std::ios::binary);
    out << env.fullBytes;
    if (!out.flush()) {
        std::cerr << "velomar-bench: cannot write the full timetable under " << env.fullBase
                  << '\n';
        return false;
    }

    env.workloads = ChooseWorkloads();
    return ChooseTypical(env);
}

std::string Describe(const SearchPair& pair) {
    std::string text = pair.label + ": " + ToUtf8(pair.departure) + " -> " + ToUtf8(pair.arrival) +
                       ", " + std::to_string(pair.files.size()) + " files (";
    for (std::size_t i = 0; i < pair.files.size(); ++i) {
        if (i != 0) {
            text += ' ';
        }
        text += std::to_string(pair.files[i].value());
    }
    return text + ")";
}

// A set with 300 trains a day each way on route 16, in sheets, and dates: the same search with
// the day (a Wednesday of the period) and without, and on the samples.
void RegisterBusyBenchmarks(Environment& env) {
    const char* busy = std::getenv("VELOMAR_BENCH_BUSY_DATA");
    if (busy == nullptr) {
        std::cerr << "velomar-bench: VELOMAR_BENCH_BUSY_DATA not set; no busy-set benchmarks\n";
        return;
    }
    env.busyBase = busy;
    const RouteMasks masks = SelectRoutes(u"서울", u"부산");
    env.busyPair = SearchPair{"B", u"서울", u"부산", masks, FilesOf(masks)};
    const int day = *GtfsDayNumber("20260304");
    benchmark::RegisterBenchmark("RunSearch/busy/dates", [&env, day](auto& s) {
        RunSearchBench(s, env.disk, env.busyBase, env.busyPair, day);
    });
    benchmark::RegisterBenchmark("RunSearch/busy/no_dates", [&env](auto& s) {
        RunSearchBench(s, env.disk, env.busyBase, env.busyPair);
    });
    benchmark::RegisterBenchmark("RunSearch/disk/B", [&env](auto& s) {
        RunSearchBench(s, env.disk, env.sampleBase, env.busyPair);
    });
    benchmark::AddCustomContext("busy_set", Describe(env.busyPair) + " on " + busy);
}

void Register(Environment& env) {
    const fs::path memoryBase = "/bench";
    const RouteCode up0 = RouteCode::of(0, Direction::Up);
    const std::size_t largestSize = BytesOf(env.largest).size();
    const std::size_t fullSize = env.fullBytes.size();

    benchmark::RegisterBenchmark("LoadTimetableGrid/memory/largest_sample",
                                 [&env, memoryBase, largestSize](auto& s) {
                                     LoadOne(s, env.memory, memoryBase, env.largest, largestSize);
                                 });
    benchmark::RegisterBenchmark("LoadTimetableGrid/memory/full_70x80",
                                 [&env, memoryBase, up0, fullSize](auto& s) {
                                     LoadOne(s, env.fullMemory, memoryBase, up0, fullSize);
                                 });
    benchmark::RegisterBenchmark("LoadTimetableGrid/disk/largest_sample",
                                 [&env, largestSize](auto& s) {
                                     LoadOne(s, env.disk, env.sampleBase, env.largest, largestSize);
                                 });
    benchmark::RegisterBenchmark(
        "LoadTimetableGrid/disk/full_70x80",
        [&env, up0, fullSize](auto& s) { LoadOne(s, env.disk, env.fullBase, up0, fullSize); });
    benchmark::RegisterBenchmark(
        "ReadOnly/memory/largest_sample", [&env, memoryBase, largestSize](auto& s) {
            ReadOnly(s, env.memory, memoryBase, {env.largest}, largestSize);
        });
    benchmark::RegisterBenchmark("ReadOnly/disk/largest_sample", [&env, largestSize](auto& s) {
        ReadOnly(s, env.disk, env.sampleBase, {env.largest}, largestSize);
    });
    benchmark::RegisterBenchmark("ReadOnly/disk/full_70x80", [&env, up0, fullSize](auto& s) {
        ReadOnly(s, env.disk, env.fullBase, {up0}, fullSize);
    });
    benchmark::RegisterBenchmark("CopyOnly/largest_sample",
                                 [&env](auto& s) { CopyOnly(s, {&BytesOf(env.largest)}); });
    benchmark::RegisterBenchmark("CopyOnly/full_70x80",
                                 [&env](auto& s) { CopyOnly(s, {&env.fullBytes}); });

    const Workloads& w = env.workloads;
    benchmark::RegisterBenchmark("SelectRoutes/same_station_busiest", [&w](auto& s) {
        SelectRoutesBench(s, w.busiestSameStation.departure, w.busiestSameStation.arrival);
    });
    benchmark::RegisterBenchmark("SelectRoutes/rare_arrival", [&w](auto& s) {
        SelectRoutesBench(s, w.busiestSameStation.departure, w.rareArrival);
    });
    benchmark::RegisterBenchmark("SelectRoutes/no_route", [&w](auto& s) {
        SelectRoutesBench(s, w.noRoute.departure, w.noRoute.arrival);
    });
    benchmark::RegisterBenchmark("ScanFile/largest_sample", ScanFileBench);
    benchmark::RegisterBenchmark("InsertResult/full_page_front", InsertFrontBench);
    benchmark::RegisterBenchmark("InsertResult/full_page_dropped", InsertDroppedBench);

    for (const SearchPair* pair :
         {&w.busiestSameStation, &w.busiestPair, &w.typicalPair, &w.noRoute}) {
        benchmark::RegisterBenchmark(
            ("RunSearch/disk/" + pair->label).c_str(),
            [&env, pair](auto& s) { RunSearchBench(s, env.disk, env.sampleBase, *pair); });
        benchmark::RegisterBenchmark(("RunSearch/memory/" + pair->label).c_str(),
                                     [&env, memoryBase, pair](auto& s) {
                                         RunSearchBench(s, env.memory, memoryBase, *pair);
                                     });
        if (pair->files.empty()) {
            continue;
        }
        const std::size_t total = TotalSize(pair->files);
        benchmark::RegisterBenchmark(("ReadOnly/disk/" + pair->label).c_str(),
                                     [&env, pair, total](auto& s) {
                                         ReadOnly(s, env.disk, env.sampleBase, pair->files, total);
                                     });
        benchmark::RegisterBenchmark(("ReadOnly/memory/" + pair->label).c_str(),
                                     [&env, memoryBase, pair, total](auto& s) {
                                         ReadOnly(s, env.memory, memoryBase, pair->files, total);
                                     });
        benchmark::RegisterBenchmark(("CopyOnly/" + pair->label).c_str(),
                                     [pair](auto& s) { CopyOnly(s, ContentsOf(pair->files)); });
    }

    std::cerr << "velomar-bench: samples from " << (env.sampleBase / "TimeData")
              << "; largest sample file: route code " << env.largest.value() << " (" << largestSize
              << " bytes); full file: " << fullSize << " bytes\n";
    for (const SearchPair* pair :
         {&w.busiestSameStation, &w.busiestPair, &w.typicalPair, &w.noRoute}) {
        std::cerr << "  " << Describe(*pair) << '\n';
        benchmark::AddCustomContext("workload_" + pair->label, Describe(*pair));
    }
    std::cerr << "  rare arrival station: " << ToUtf8(w.rareArrival) << '\n';
    RegisterJourneyBenchmarks(w, env.disk, env.sampleBase, env.memory, memoryBase);
    RegisterBusyBenchmarks(env);
}

}  // namespace
}  // namespace velomar::bench

int main(int argc, char** argv) {
    using namespace velomar::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Environment env;
    g_env = &env;
    if (!Prepare(env)) {
        return 1;
    }
    Register(env);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    std::filesystem::remove_all(env.fullBase, error);
    return 0;
}
