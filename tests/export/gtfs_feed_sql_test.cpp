// The sample timetables exported and loaded into SQLite: the feed must be valid GTFS, and the
// direct-train query of bench/gtfs must list exactly the trains the search lists.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "export/gtfs_export.h"
#include "export_test_support.h"
#include "network/route_table.h"
#include "platform/utf8.h"
#include "search/search.h"
#include "support/plain_timetable_reader.h"
#include "timetable/file_reader.h"
#include "timetable/train_codes.h"

namespace velomar {
namespace {

using testing_support::ParseCsv;
using testing_support::SourceDirectory;
using testing_support::TempFolder;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class Database {
  public:
    Database() {
        sqlite3* db = nullptr;
        sqlite3_open(":memory:", &db);
        m_db.reset(db);
    }

    // Fails the test with SQLite's message; returns whether it worked.
    bool exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            ADD_FAILURE() << (message ? message : "?") << "\nin: " << sql.substr(0, 200);
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    Statement prepare(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &statement, &tail) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(m_db.get());
        }
        // One statement per file: only blanks and comments may follow it.
        std::string rest = tail ? tail : "";
        EXPECT_EQ(rest.find_first_not_of(" \t\r\n"), std::string::npos) << rest;
        return Statement(statement);
    }

    // Rows of a query as text, fields joined by TAB.
    std::vector<std::string> rows(const std::string& sql) {
        std::vector<std::string> out;
        Statement statement = prepare(sql);
        while (statement && sqlite3_step(statement.get()) == SQLITE_ROW) {
            out.push_back(rowText(statement.get()));
        }
        return out;
    }

    static std::string rowText(sqlite3_stmt* statement) {
        std::string line;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = sqlite3_column_text(statement, i);
            // Appended piece by piece: GCC 12 warns (-Wrestrict, a false positive) about
            // `"literal" + std::string&&` in optimised builds.
            if (i > 0) {
                line += '\t';
            }
            line += text ? reinterpret_cast<const char*>(text) : "";
        }
        return line;
    }

    // Fills `table` from a feed file the way the sqlite3 shell's `.import --csv --skip 1`
    // does: by position, every field as text. The header must name the table's columns in
    // order, or that import would mix the columns up.
    void import(const std::filesystem::path& file, const std::string& table) {
        const auto records = ParseCsv(ReadText(file));
        ASSERT_FALSE(records.empty()) << file;
        const auto columns = rows("SELECT name FROM pragma_table_info('" + table + "')");
        ASSERT_EQ(records.front(), columns) << file;
        std::string sql = "INSERT INTO " + table + " VALUES (";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            sql += i ? ",?" : "?";
        }
        Statement insert = prepare(sql + ")");
        ASSERT_TRUE(insert);
        ASSERT_TRUE(exec("BEGIN"));
        for (std::size_t r = 1; r < records.size(); ++r) {
            ASSERT_EQ(records[r].size(), columns.size()) << file << " record " << r;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                sqlite3_bind_text(insert.get(), static_cast<int>(i + 1), records[r][i].c_str(), -1,
                                  SQLITE_TRANSIENT);
            }
            ASSERT_EQ(sqlite3_step(insert.get()), SQLITE_DONE) << sqlite3_errmsg(m_db.get());
            sqlite3_reset(insert.get());
        }
        ASSERT_TRUE(exec("COMMIT"));
    }

    long count(const std::string& sql) {
        const auto result = rows(sql);
        return result.empty() ? -1 : std::stol(result.front());
    }

  private:
    std::unique_ptr<sqlite3, DatabaseCloser> m_db;
};

// One export of the sample data for the whole suite.
class SampleFeed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_folder = std::make_unique<TempFolder>("velomar-gtfs-sample");
        DiskFileReader reader;
        const TimetableDirectory timetables(reader, SourceDirectory() / "data");
        std::string error;
        ASSERT_TRUE(BuildGtfsFeed(timetables, {}, s_feed, error)) << error;
        ASSERT_TRUE(WriteGtfsFeed(s_feed, s_folder->path(), error)) << error;
        s_db = std::make_unique<Database>();
        ASSERT_TRUE(s_db->exec(ReadText(SourceDirectory() / "bench/gtfs/schema.sql")));
        for (const char* table :
             {"agency", "stops", "routes", "trips", "stop_times", "calendar", "feed_info"}) {
            s_db->import(s_folder->path() / (std::string(table) + ".txt"), table);
        }
        s_query = ReadText(SourceDirectory() / "bench/gtfs/direct_trains.sql");
    }
    static void TearDownTestSuite() {
        s_db.reset();
        s_folder.reset();
    }

    static inline std::unique_ptr<TempFolder> s_folder;
    static inline std::unique_ptr<Database> s_db;
    static inline GtfsFeed s_feed;
    static inline std::string s_query;
};

TEST_F(SampleFeed, IsCleanAndComplete) {
    EXPECT_EQ(s_feed.warnings, std::vector<std::string>{});
    EXPECT_EQ(s_feed.timetableFiles, 64);
    // `velomar-cli check` counts 606 trains in the sample set.
    EXPECT_EQ(s_feed.trips, 606);
    Database& db = *s_db;
    EXPECT_EQ(db.count("SELECT count(*) FROM trips"), 606);
    EXPECT_EQ(db.count("SELECT count(*) FROM stop_times"), s_feed.stopTimes);
    EXPECT_EQ(db.count("SELECT count(*) FROM agency"), 1);
    EXPECT_EQ(db.count("SELECT count(*) FROM stops"), 298);
}

TEST_F(SampleFeed, KeepsTheRulesOfGtfs) {
    Database& db = *s_db;
    // every stop time belongs to a trip, and every trip has at least two calls
    EXPECT_EQ(db.count("SELECT count(*) FROM stop_times WHERE trip_id NOT IN "
                       "(SELECT trip_id FROM trips)"),
              0);
    EXPECT_EQ(db.count("SELECT count(*) FROM trips WHERE (SELECT count(*) FROM stop_times s "
                       "WHERE s.trip_id = trips.trip_id) < 2"),
              0);
    // every stop, route and service referred to exists
    EXPECT_EQ(db.count("SELECT count(*) FROM stop_times WHERE stop_id NOT IN "
                       "(SELECT stop_id FROM stops)"),
              0);
    EXPECT_EQ(db.count("SELECT count(*) FROM trips WHERE route_id NOT IN "
                       "(SELECT route_id FROM routes)"),
              0);
    EXPECT_EQ(db.count("SELECT count(*) FROM trips WHERE service_id NOT IN "
                       "(SELECT service_id FROM calendar)"),
              0);
    EXPECT_EQ(db.count("SELECT count(*) FROM trips WHERE direction_id NOT IN (0, 1)"), 0);
    // stop_sequence strictly increases and times never go back within a trip
    EXPECT_EQ(db.rows(R"(
        SELECT trip_id, stop_sequence FROM (
            SELECT trip_id, stop_sequence, arrival_time, departure_time,
                   lag(stop_sequence) OVER w AS previous_sequence,
                   lag(departure_time) OVER w AS previous_departure
            FROM stop_times WINDOW w AS (PARTITION BY trip_id ORDER BY stop_sequence))
        WHERE stop_sequence <= previous_sequence OR arrival_time < previous_departure
           OR departure_time < arrival_time)"),
              std::vector<std::string>{});
    // times are HH:MM:SS, hours from 00 to 33
    EXPECT_EQ(db.rows("SELECT trip_id, departure_time FROM stop_times WHERE "
                      "departure_time NOT GLOB '[0-3][0-9]:[0-5][0-9]:00' "
                      "OR arrival_time NOT GLOB '[0-3][0-9]:[0-5][0-9]:00'"),
              std::vector<std::string>{});
    // no station calls twice in a row (the two 순천 rows of route 27 are one call)
    EXPECT_EQ(db.count("SELECT count(*) FROM stop_times a JOIN stop_times b ON "
                       "a.trip_id = b.trip_id AND b.stop_sequence = a.stop_sequence + 1 "
                       "AND a.stop_id = b.stop_id"),
              0);
    EXPECT_EQ(db.rows("SELECT arrival_time, departure_time FROM stop_times "
                      "WHERE trip_id LIKE 'D27-%' AND stop_id = '0051'"),
              std::vector<std::string>{"14:35:00\t14:42:00"});
    // night trains run on past midnight on the service day's clock
    EXPECT_GT(db.count("SELECT count(*) FROM stop_times WHERE arrival_time >= '24:00:00'"), 0);
}

// The page RunSearch shows, as search --format tsv prints it.
std::vector<std::string> SearchPage(std::u16string_view from, std::u16string_view to, int type,
                                    int hour, int minuteIndex, std::uint32_t pageSize) {
    // The sample files, read from disk once for all searches.
    static const MemoryFileReader reader = [] {
        MemoryFileReader files;
        DiskFileReader disk;
        const TimetableDirectory onDisk(disk, SourceDirectory() / "data");
        for (int route = 0; route < kRouteCount; ++route) {
            for (Direction direction : {Direction::Up, Direction::Down}) {
                if (auto bytes = ReadWholeFile(disk, onDisk.pathOf(route, direction))) {
                    files.add(onDisk.pathOf(route, direction), std::move(*bytes));
                }
            }
        }
        return files;
    }();
    const TimetableDirectory timetables(reader, SourceDirectory() / "data");
    TimetableGrid grid;
    RecordingMessageSink messages;
    SearchQuery query;
    query.startStation = from;
    query.endStation = to;
    query.typeIndex = type;
    query.hourIndex = hour;
    query.minuteIndex = minuteIndex;
    query.storedPageSize = pageSize;
    ResultPage page(kPortraitCapacity);
    ResultRows list;
    CurrentTimetableFile current;
    RunSearch(query, page, list, current, {timetables, grid, messages},
              NoRouteRule::ClearListAndEnd);
    std::vector<std::string> out;
    for (const ResultRow& row : list.rows) {
        const ResultSlot& slot = page[static_cast<std::size_t>(row.slot)];
        out.push_back(ToUtf8(row.trainNo) + "\t" + ToUtf8(row.departure) + "\t" +
                      ToUtf8(row.arrival) + "\t" + ToUtf8(row.typeLabel) + "\t" +
                      std::to_string(slot.routeCode.value()) + "\t" + ToUtf8(slot.departureKey));
    }
    return out;
}

std::vector<std::string> SqlPage(Database& db, const std::string& query, std::u16string_view from,
                                 std::u16string_view to, int type, const std::string& time,
                                 std::uint32_t pageSize) {
    Statement statement = db.prepare(query);
    if (!statement) {
        return {"<no statement>"};
    }
    sqlite3_stmt* s = statement.get();
    auto bind = [s](const char* name, const std::string& value) {
        sqlite3_bind_text(s, sqlite3_bind_parameter_index(s, name), value.c_str(), -1,
                          SQLITE_TRANSIENT);
    };
    bind(":from", ToUtf8(from));
    bind(":to", ToUtf8(to));
    bind(":time", time);
    bind(":type", ToUtf8(kTrainTypeEntries[static_cast<std::size_t>(type)]));
    sqlite3_bind_int(s, sqlite3_bind_parameter_index(s, ":page_size"), static_cast<int>(pageSize));
    std::vector<std::string> out;
    while (sqlite3_step(s) == SQLITE_ROW) {
        out.push_back(Database::rowText(s));
    }
    return out;
}

struct Pair {
    const char16_t* from;
    const char16_t* to;
    const char* why;
};

void PrintTo(const Pair& pair, std::ostream* os) {
    *os << ToUtf8(pair.from) << " -> " << ToUtf8(pair.to) << " (" << pair.why << ")";
}

class SearchAgreement : public SampleFeed, public ::testing::WithParamInterface<Pair> {};

TEST_P(SearchAgreement, SqlListsTheTrainsTheSearchLists) {
    const Pair& pair = GetParam();
    struct Time {
        int hour;
        int minuteIndex;
        const char* text;
    };
    const Time times[] = {{0, 0, "00:00"}, {7, 3, "07:35"}, {22, 0, "22:00"}, {23, 5, "23:50"}};
    int pagesWithTrains = 0;
    for (int type = 0; type < static_cast<int>(kTrainTypeEntries.size()); ++type) {
        for (const Time& time : times) {
            for (std::uint32_t pageSize : {2u, 14u}) {
                SCOPED_TRACE(std::string(pair.why) + ", type " + std::to_string(type) + ", " +
                             time.text + ", page " + std::to_string(pageSize));
                const auto expected =
                    SearchPage(pair.from, pair.to, type, time.hour, time.minuteIndex, pageSize);
                const auto actual =
                    SqlPage(*s_db, s_query, pair.from, pair.to, type, time.text, pageSize);
                ASSERT_EQ(actual, expected);
                pagesWithTrains += expected.empty() ? 0 : 1;
            }
        }
    }
    RecordProperty("pages_with_trains", pagesWithTrains);
}

INSTANTIATE_TEST_SUITE_P(
    StationPairs, SearchAgreement,
    ::testing::Values(
        Pair{u"서울", u"부산", "KTX and night trains arriving after midnight"},
        Pair{u"부산", u"서울", "the reverse direction, Up files"},
        Pair{u"서울", u"대전", "a line and four through routes listing the same trains"},
        Pair{u"서울", u"서울", "the same station at both ends"},
        Pair{u"용산", u"순천", "arrival at the station route 27 gives twice"},
        Pair{u"순천", u"여수", "departure from the station route 27 gives twice"},
        Pair{u"여수", u"순천", "route 27's double station, Up file"},
        Pair{u"순천", u"순천", "route 27's double station at both ends"},
        Pair{u"청량리", u"정동진", "the night train leaving before and arriving after midnight"},
        Pair{u"강릉", u"동해", "Up files on one route, Down files on others"},
        Pair{u"동두천", u"신탄리", "통일호"}, Pair{u"서울", u"신창", "누리로 and 누(평일)"},
        Pair{u"문산", u"부산", "no route serves the pair"},
        Pair{u"서울", u"없는역", "a station no route lists"},
        Pair{u"", u"부산", "an empty departure field"}));

// The pairs above must really exercise what they are named for.
TEST_F(SampleFeed, PairsCoverTheirCases) {
    auto sql = [](std::u16string_view from, std::u16string_view to, int type, const char* time) {
        return SqlPage(*s_db, s_query, from, to, type, time, 14);
    };
    auto lists = [](const std::vector<std::string>& page, const std::string& row) {
        return std::find(page.begin(), page.end(), row) != page.end();
    };
    // arrivals after midnight, shown as a clock time
    EXPECT_TRUE(lists(sql(u"서울", u"부산", 0, "22:00"), "0191\t22:00\t00:46\tKTX\t116\t2200"));
    EXPECT_TRUE(
        lists(sql(u"청량리", u"정동진", 0, "23:00"), "1499\t23:25\t04:28\t무궁화\t131\t2325"));
    // 순천 on route 27 is read at its second (departure) row, at either end
    EXPECT_EQ(sql(u"용산", u"순천", 0, "08:00").at(0), "1483\t08:20\t14:42\t무궁화\t127\t0820");
    EXPECT_TRUE(lists(sql(u"순천", u"순천", 0, "14:00"), "1483\t14:42\t14:42\t무궁화\t127\t1442"));
    // two trains leave 서울 at 10:00; the one offered first (route 0) is listed, unless the
    // type filter leaves only the other
    EXPECT_EQ(sql(u"서울", u"대전", 0, "10:00").at(0), "1007\t10:00\t11:33\t새마을\t100\t1000");
    EXPECT_EQ(sql(u"서울", u"대전", 1, "10:00").at(0), "0127\t10:00\t10:59\tKTX\t116\t1000");
    EXPECT_EQ(sql(u"동두천", u"신탄리", 4, "00:00").at(0), "1901\t06:00\t06:45\t통일호\t107\t0600");
    EXPECT_TRUE(
        lists(sql(u"서울", u"신창", 5, "07:00"), "1703\t07:40\t09:13\t누(평일)\t128\t0740"));
    EXPECT_EQ(sql(u"문산", u"부산", 0, "00:00"), std::vector<std::string>{});
}

}  // namespace
}  // namespace velomar
