// velomar-cli import-gtfs as a user runs it: feeds on disk (folders and zips), the files it
// writes, its report, and what it does with bad input.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <tuple>

#include "cli/cli.h"
#include "import/zip_feed.h"
#include "import_test_support.h"
#ifdef VELOMAR_TEST_ZIP
#include <zip.h>
#endif

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        m_path = fs::temp_directory_path() /
                 ("velomar-import-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

  private:
    fs::path m_path;
};

void WriteText(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun Cli(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

// 경의선 with two trains a day, plus a stop no route lists.
std::map<std::string, std::string> GoodFeed() {
    auto files = testing_support::BaseFeed();
    files["stops.txt"] = "stop_id,stop_name\nMS,문산\nDR,도라산\nPJ,파주\n";
    files["trips.txt"] =
        "route_id,service_id,trip_id,trip_short_name\nM,DAILY,T1,101\nM,DAILY,T2,102\n";
    files["stop_times.txt"] =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
        "T1,08:00:00,08:00:00,MS,1\nT1,08:10:00,08:10:00,PJ,2\nT1,08:30:00,08:30:00,DR,3\n"
        "T2,09:00:00,09:00:00,DR,1\nT2,09:30:00,09:30:00,MS,2\n";
    return files;
}

fs::path WriteFolder(const fs::path& folder, const std::map<std::string, std::string>& files) {
    for (const auto& [name, text] : files) {
        WriteText(folder / name, text);
    }
    return folder;
}

// A TimeData from an earlier import, to see that failures leave it alone.
void PlantOldTimeData(const fs::path& out) {
    WriteText(out / "TimeData" / "SOURCE.txt", "feed: old\r\n");
}

TEST(ImportCommand, WritesTheFilesThatCheckAndSearchRead) {
    TempFolder temp;
    const fs::path feed = WriteFolder(temp.path() / "feed", GoodFeed());
    const fs::path out = temp.path() / "data";
    PlantOldTimeData(out);
    const CliRun run =
        Cli({"import-gtfs", feed.string(), "--out", out.string(), "--week", "20240101"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("trips read: 2\nimported: 2 trips as 2 trains\n"), std::string::npos)
        << run.out;
    // Stations found by their own name are counted, not listed; empty files are summed up.
    EXPECT_NE(run.out.find("stations matched: 2 (2 by their name)\nstations not matched: 1\n"
                           "  파주 (1 calls)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("trains per file and sheet:\n  UpData_06.txt 1\n  DownData_06.txt 1\n"
                           "  the other 62 files: no trains\n"),
              std::string::npos);
    EXPECT_TRUE(ReadText(out / "TimeData" / "SOURCE.txt").starts_with("feed: feed\r\n"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(out / "TimeData")) {
        ++entries;
    }
    EXPECT_EQ(entries, 65u);
    for (const auto& entry : fs::directory_iterator(out)) {
        EXPECT_EQ(entry.path().filename(), "TimeData");  // no staging folder is left behind
    }

    const CliRun check = Cli({"check", out.string()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("64 files, 2 trains, 0 problems"), std::string::npos) << check.out;
    TempFolder settings;
    const CliRun search =
        Cli({"--data", out.string(), "--settings", (settings.path() / "s.sqlite3").string(),
             "search", "문산", "도라산", "--time", "07:00", "--format", "tsv"});
    EXPECT_EQ(search.status, 0) << search.err;
    EXPECT_EQ(search.out, "0101\t08:00\t08:30\t무궁화\t106\t0800\n");
}

TEST(ImportCommand, ReportsAsOneJsonObject) {
    TempFolder temp;
    const fs::path feed = WriteFolder(temp.path() / "feed", GoodFeed());
    const CliRun run = Cli({"import-gtfs", feed.string(), "--out", (temp.path() / "d").string(),
                            "--format=json", "--week", "20240101"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(
        run.out.starts_with("{\n  \"feed\": \"feed\",\n  \"period\": {\"first\": "
                            "\"2024-01-01\", \"last\": \"2024-01-07\", \"from\": "
                            "\"week\", \"cut\": false},\n"))
        << run.out;
    EXPECT_NE(run.out.find("\"tripsRead\": 2,\n  \"tripsImported\": 2,"), std::string::npos);
    EXPECT_NE(
        run.out.find(
            "{\"stop\": \"파주\", \"station\": null, \"how\": \"not matched\", \"calls\": 1}"),
        std::string::npos);
    EXPECT_TRUE(run.out.ends_with("\n  ]\n}\n"));
}

struct UsageCase {
    std::vector<std::string> args;
    const char* message;
};

TEST(ImportCommand, BadUsageIsExitStatusTwo) {
    TempFolder temp;
    WriteText(temp.path() / "file", "x");
    const std::string feed = temp.path().string();
    const UsageCase cases[] = {
        {{"import-gtfs", feed}, "--out DIR is required"},
        {{"import-gtfs", "--out", feed}, "expects one feed"},
        {{"import-gtfs", feed, "--out", feed, "--week", "20240230"},
         "--week must be a date YYYYMMDD"},
        {{"import-gtfs", feed, "--out", feed, "--week", "99991231"},
         "--week must be a date YYYYMMDD, not '99991231' (dates from 00010101 to 99991224)"},
        {{"import-gtfs", feed, "--out", feed, "--week", "20240101", "--from", "20240101"},
         "--week takes one week, --from and --to a period: give either"},
        {{"import-gtfs", feed, "--out", feed, "--from", "20240301", "--to", "20240229"},
         "--to 20240229 lies before --from 20240301"},
        {{"import-gtfs", feed, "--out", feed, "--from", "20240101", "--to", "20260101"},
         "a period of at most 731 days can be imported"},
        {{"import-gtfs", feed, "--out", feed, "--format", "xml"}, "--format must be text or json"},
        {{"import-gtfs", feed, "--out", feed, "--stations", (temp.path() / "none").string()},
         "cannot read --stations file"},
        {{"import-gtfs", feed, "--out", (temp.path() / "file").string()},
         "exists and is not a folder"},
        // Correction files are read to 1 MiB at most: an endless or huge one is refused.
        {{"import-gtfs", feed, "--out", feed, "--types", "/dev/zero"},
         "--types file '/dev/zero' is larger than 1024 KiB: not read"},
        {{"import-gtfs", feed, "--out", feed, "--stations", (temp.path() / "sparse").string()},
         "is larger than 1024 KiB: not read"},
        {{"import-gtfs", feed, "--out", feed, "--stations", feed}, "cannot read --stations file"},
    };
    { std::ofstream sparse(temp.path() / "sparse", std::ios::binary); }
    std::filesystem::resize_file(temp.path() / "sparse", std::uintmax_t{4} << 30);
    for (const UsageCase& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_NE(
        Cli({"import-gtfs", "--help"}).out.find("Usage: velomar-cli import-gtfs FEED --out DIR"),
        std::string::npos);
}

struct BadFeed {
    const char* why;
    const char* file;
    const char* text;  // nullptr: the file is removed
    const char* message;
};

class ImportBadFeed : public ::testing::TestWithParam<BadFeed> {};

// A clear message that names the file and line, exit status 1, and the old TimeData kept.
TEST_P(ImportBadFeed, FailsWithoutReplacingAnything) {
    TempFolder temp;
    auto files = GoodFeed();
    if (GetParam().text == nullptr) {
        files.erase(GetParam().file);
    } else {
        files[GetParam().file] = GetParam().text;
    }
    const fs::path feed = WriteFolder(temp.path() / "feed", files);
    const fs::path out = temp.path() / "data";
    PlantOldTimeData(out);
    const CliRun run = Cli({"import-gtfs", feed.string(), "--out", out.string()});
    EXPECT_EQ(run.status, 1) << GetParam().why;
    EXPECT_EQ(run.err, "velomar-cli import-gtfs: " + std::string(GetParam().message) +
                           "\nvelomar-cli import-gtfs: nothing was written\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadText(out / "TimeData" / "SOURCE.txt"), "feed: old\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, ImportBadFeed,
    ::testing::Values(
        BadFeed{"a required file is missing", "stop_times.txt", nullptr,
                "the feed has no stop_times.txt"},
        BadFeed{"no calendar at all", "calendar.txt", nullptr,
                "the feed has neither calendar.txt nor calendar_dates.txt (or both are empty)"},
        BadFeed{"duplicate trip ids", "trips.txt",
                "route_id,service_id,trip_id\nM,DAILY,T1\nM,DAILY,T1\n",
                "trips.txt:3: trip_id 'T1' is given twice"},
        BadFeed{"times going backwards", "stop_times.txt",
                "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                "T1,08:30:00,08:30:00,MS,1\nT1,08:00:00,08:00:00,DR,2\n",
                "stop_times.txt:3: trip 'T1' goes back in time: 08:00:00 after 08:30:00 on line 2"},
        BadFeed{"a file that is not UTF-8", "stops.txt", "stop_id,stop_name\nMS,\xB9\xAE\xBB\xEA\n",
                "stops.txt:2: the text is not UTF-8"},
        BadFeed{"a stop no stops.txt has", "stop_times.txt",
                "trip_id,arrival_time,departure_time,stop_id,stop_sequence\nT1,08:00:00,08:00:00,"
                "XX,1\n",
                "stop_times.txt:2: stop_id 'XX' is not in stops.txt"},
        BadFeed{"a time that is no time", "stop_times.txt",
                "trip_id,arrival_time,departure_time,stop_id,stop_sequence\nT1,8:5,08:00:00,MS,1\n",
                "stop_times.txt:2: '8:5' is not a time HH:MM:SS"},
        BadFeed{"a column missing", "trips.txt", "route_id,trip_id\nM,T1\n",
                "trips.txt:1: no column 'service_id'"},
        BadFeed{"a bad exception type", "calendar_dates.txt",
                "service_id,date,exception_type\nDAILY,20240101,3\n",
                "calendar_dates.txt:2: exception_type must be 1 (added) or 2 (removed)"},
        // An import that yields no train would replace a good set with empty files.
        BadFeed{"stop times with a header only", "stop_times.txt",
                "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n",
                "no train to import: of the 2 trips of trips.txt, none becomes a train (fewer "
                "than two calls at network stations: 2; stop_times.txt has no rows)"},
        BadFeed{"no trip runs in the period", "trips.txt",
                "route_id,service_id,trip_id,trip_short_name\nM,OTHER,T1,101\nM,OTHER,T2,102\n",
                "no train to import: of the 2 trips of trips.txt, none becomes a train (not "
                "running in the period 2024-01-01 to 2024-12-31: 2)"}));

TEST(ImportCommand, AWeekOutsideTheFeedFailsAndReplacesNothing) {
    TempFolder temp;
    auto files = GoodFeed();
    const fs::path feed = WriteFolder(temp.path() / "feed", files);
    const fs::path out = temp.path() / "data";
    PlantOldTimeData(out);
    const CliRun run =
        Cli({"import-gtfs", feed.string(), "--out", out.string(), "--week", "20300107"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "velomar-cli import-gtfs: no service of the feed runs in the week 2030-01-07 to "
              "2030-01-13 (its calendar covers 2024-01-01 to 2024-12-31)\n"
              "velomar-cli import-gtfs: nothing was written\n");
    EXPECT_EQ(ReadText(out / "TimeData" / "SOURCE.txt"), "feed: old\r\n");
}

// Rows are gathered per trip; a trip with more rows than any train has calls is a broken file,
// not a reason to hold the whole of it in memory.
TEST(ImportCommand, ATripWithEndlessStopTimesIsRefused) {
    auto files = GoodFeed();
    std::string& rows = files["stop_times.txt"];
    rows = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n";
    for (int i = 1; i <= 100001; ++i) {
        rows += "T1,08:00:00,08:00:00,MS," + std::to_string(i) + "\n";
    }
    const auto run = testing_support::ImportFiles(files);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.error, "stop_times.txt:100002: trip 'T1' has more than 100000 stop times");
}

TEST(ImportCommand, AFeedThatIsNeitherFolderNorZipIsRefused) {
    TempFolder temp;
    const fs::path text = temp.path() / "feed.zip";
    WriteText(text, "route_id,route_short_name\n");
    const CliRun run = Cli({"import-gtfs", text.string(), "--out", (temp.path() / "d").string()});
    EXPECT_EQ(run.status, 1);
#ifdef VELOMAR_TEST_ZIP
    const std::string refusal = ": not a zip archive (nor a folder)";
#else
    const std::string refusal = ": this build reads GTFS feeds from folders only";
#endif
    EXPECT_NE(run.err.find(text.string() + refusal), std::string::npos) << run.err;
    const CliRun missing =
        Cli({"import-gtfs", (temp.path() / "none").string(), "--out", temp.path().string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no such file or folder"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(temp.path() / "d"));
}

#ifdef VELOMAR_TEST_ZIP
// Feeds are often zipped with their folder around them.
std::string ZipBytes(const std::map<std::string, std::string>& files, const std::string& prefix,
                     bool stored = false) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    for (const auto& [name, text] : files) {
        zip_source_t* file = zip_source_buffer(archive, text.data(), text.size(), 0);
        const zip_int64_t index =
            zip_file_add(archive, (prefix + name).c_str(), file, ZIP_FL_ENC_UTF_8);
        if (stored) {
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        }
    }
    zip_close(archive);
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    const auto size = static_cast<std::size_t>(zip_source_tell(buffer));
    zip_source_seek(buffer, 0, SEEK_SET);
    std::string bytes(size, '\0');
    zip_source_read(buffer, bytes.data(), size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

TEST(ImportCommand, ReadsZipArchivesAndRefusesBrokenOnes) {
    TempFolder temp;
    const std::string bytes = ZipBytes(GoodFeed(), "gtfs/");
    const fs::path zip = temp.path() / "feed.zip";
    WriteText(zip, bytes);
    const fs::path out = temp.path() / "data";
    const CliRun run = Cli({"import-gtfs", zip.string(), "--out", out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadText(out / "TimeData" / "SOURCE.txt").starts_with("feed: feed.zip\r\n"));

    const fs::path cut = temp.path() / "cut.zip";
    WriteText(cut, bytes.substr(0, bytes.size() * 2 / 3));
    const CliRun truncated = Cli({"import-gtfs", cut.string(), "--out", out.string()});
    EXPECT_EQ(truncated.status, 1);
    EXPECT_NE(truncated.err.find(cut.string() + ": "), std::string::npos) << truncated.err;
    EXPECT_TRUE(ReadText(out / "TimeData" / "SOURCE.txt").starts_with("feed: feed.zip\r\n"));
}

// The zip reader is a separate program; each way it can fail is a clear message and nothing
// written.
TEST(ImportCommand, ZipReaderFailuresAreReportedAndReplaceNothing) {
    TempFolder temp;
    const fs::path out = temp.path() / "data";
    PlantOldTimeData(out);
    auto run = [&](const fs::path& zip) {
        return Cli({"import-gtfs", zip.string(), "--out", out.string()});
    };

    // Stored, not compressed, so that one time can be changed and the text stays CSV: only
    // the checksum at the end of the file tells.
    std::string damaged = ZipBytes(GoodFeed(), "", true);
    const std::size_t at = damaged.find("T2,09:30:00");
    ASSERT_NE(at, std::string::npos);
    damaged[at + 7] = '4';  // 09:34:00
    const fs::path damagedZip = temp.path() / "damaged.zip";
    WriteText(damagedZip, damaged);
    CliRun failed = run(damagedZip);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "velomar-cli import-gtfs: " + damagedZip.string() +
                              ": stop_times.txt cannot be unpacked: CRC error (the archive is "
                              "damaged)\nvelomar-cli import-gtfs: nothing was written\n");

    // A bad line early on: the reader stops before the helper has written everything.
    auto files = GoodFeed();
    files["stop_times.txt"] += "T3,08:00:00,08:00:00,MS,1\n";
    for (int i = 0; i < 20000; ++i) {
        files["stop_times.txt"] += "T2,09:30:00,09:30:00,MS," + std::to_string(i + 3) + "\n";
    }
    const fs::path badLineZip = temp.path() / "bad-line.zip";
    WriteText(badLineZip, ZipBytes(files, ""));
    failed = run(badLineZip);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("stop_times.txt:7: trip_id 'T3' is not in trips.txt"),
              std::string::npos)
        << failed.err;
    EXPECT_EQ(ReadText(out / "TimeData" / "SOURCE.txt"), "feed: old\r\n");

    std::string error;
    EXPECT_FALSE(ZipHelperPath().empty()) << "built beside the tests";
    EXPECT_EQ(OpenZipFeedWith({}, badLineZip, error), nullptr);
    EXPECT_NE(error.find("zip archives are read by velomar-unzip, which is not installed"),
              std::string::npos)
        << error;
    error.clear();
    EXPECT_EQ(OpenZipFeedWith(temp.path() / "no-helper", badLineZip, error), nullptr);
    EXPECT_NE(error.find("no-helper cannot be started"), std::string::npos) << error;
}

// Each entry header of `name` in a zip (local and central), handed to `patch` with the
// offsets of its compression method and its name.
void PatchEntry(std::string& zip, std::string_view name,
                const std::function<void(std::size_t method, std::size_t nameAt)>& patch) {
    for (const auto& [signature, methodAt, lengthAt, nameAt] :
         {std::tuple{std::string_view("PK\x03\x04"), 8, 26, 30},
          std::tuple{std::string_view("PK\x01\x02"), 10, 28, 46}}) {
        for (std::size_t at = zip.find(signature); at != std::string::npos;
             at = zip.find(signature, at + 1)) {
            const auto length = static_cast<unsigned char>(zip[at + lengthAt]);
            if (zip.compare(at + nameAt, length, name) == 0) {
                patch(at + methodAt, at + nameAt);
            }
        }
    }
}
#endif

// What went wrong reaches the user in the archive's or the file's own terms, with the file
// and the line, never as some later symptom of it.
TEST(ImportCommand, FeedFaultsAreReportedByTheirCause) {
    TempFolder temp;
    const fs::path out = temp.path() / "data";
    std::vector<std::pair<fs::path, std::string>> cases;
    auto folder = [&](const char* name, const char* file, std::string text) {
        auto files = GoodFeed();
        files[file] = std::move(text);
        return WriteFolder(temp.path() / name, files);
    };
    cases.emplace_back(folder("cr", "stop_times.txt",
                              "trip_id,arrival_time,departure_time,stop_id,stop_sequence\r"
                              "T1,08:00:00,08:00:00,MS,1\r"),
                       "stop_times.txt:1: the file uses CR-only line ends (a CR without LF); "
                       "save it with LF or CR LF line ends");
    cases.emplace_back(folder("bom", "stops.txt",
                              "stop_id,stop_name\nMS,문산\n\xEF\xBB\xBF"
                              "DR,도라산\n"),
                       "stops.txt:3: a byte order mark (U+FEFF) in the middle of the file (were "
                       "two files joined?)");
#ifndef _WIN32
    const fs::path fifo = temp.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.emplace_back(fifo, fifo.string() + " is a named pipe, not a zip archive or a folder");
    cases.emplace_back("/dev/zero",
                       "/dev/zero is a character device, not a zip archive or a folder");
#endif
#ifdef VELOMAR_TEST_ZIP
    auto zip = [&](const char* name, std::string bytes) {
        WriteText(temp.path() / name, bytes);
        return temp.path() / name;
    };
    // Stored, so that the damage is a plain byte: a stop that stops.txt lacks.
    std::string damaged = ZipBytes(GoodFeed(), "", true);
    damaged[damaged.find("T2,09:30:00,09:30:00,MS") + 22] = 'X';
    cases.emplace_back(zip("damaged.zip", damaged),
                       "stop_times.txt cannot be unpacked: CRC error (the archive is damaged)");
    std::string lzma = ZipBytes(GoodFeed(), "");
    PatchEntry(lzma, "stops.txt", [&](std::size_t method, std::size_t) { lzma[method] = 14; });
    cases.emplace_back(zip("lzma.zip", lzma),
                       "stops.txt is compressed with LZMA, which this reader cannot unpack; "
                       "pack the archive again with deflate");
    auto files = GoodFeed();
    files["stopX.txt"] = files["stops.txt"];
    std::string twice = ZipBytes(files, "");
    PatchEntry(twice, "stopX.txt", [&](std::size_t, std::size_t name) { twice[name + 4] = 's'; });
    cases.emplace_back(zip("twice.zip", twice), "stops.txt is in the archive twice");
#endif
    for (const auto& [feed, message] : cases) {
        const CliRun run = Cli({"import-gtfs", feed.string(), "--out", out.string()});
        EXPECT_EQ(run.status, 1) << feed;
        EXPECT_NE(run.err.find(message + "\n"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

}  // namespace
}  // namespace velomar::cli
