// import-gtfs and export-gtfs killed at the moments that change a folder: strace kills the
// program as it enters its N-th rename, removal or new folder, until it gets to its end.
// Between those calls nothing a reader could see changes, so these are the states a kill
// can leave. After each kill the old set or the new one is there whole (for the
// export, once the next run has finished what the journal says), and the next run leaves no
// staging folder behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/staged_folder.h"

extern char** environ;

namespace velomar {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// The calls that change a folder. strace counts each call on its own, so a kill at every
// one is a kill at each N-th call of each.
constexpr const char* kFolderCalls[] = {"rename",   "renameat", "renameat2", "unlink",
                                        "unlinkat", "rmdir",    "mkdir",     "mkdirat"};

// The program under test: this build's, or VELOMAR_KILL_CLI (an optimised build, say).
std::string CliPath() {
    const char* path = std::getenv("VELOMAR_KILL_CLI");
    return path != nullptr ? path : VELOMAR_CLI_PATH;
}

// The exit status of `args` run as a process with its output thrown away; -1 when killed.
int RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed != 0 || ::waitpid(pid, &status, 0) != pid) {
        return -2;
    }
    if (WIFSIGNALED(status) || WEXITSTATUS(status) == 128 + SIGKILL) {
        return -1;
    }
    return WEXITSTATUS(status);
}

int Cli(std::vector<std::string> args) {
    args.insert(args.begin(), CliPath());
    return RunProgram(args);
}

// velomar-cli with `args`, killed as it enters its n-th `call`. A sanitizer's leak check
// cannot run under a tracer (it would end every run with status 1).
int RunKilledAt(const char* call, int n, const std::vector<std::string>& args) {
    const char* options = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> command = {
        "env",
        "ASAN_OPTIONS=" + std::string(options != nullptr ? options : "") + ":detect_leaks=0",
        "strace",
        "-f",
        "-qq",
        "-o",
        "/dev/null",
        std::string("-etrace=") + call,
        std::string("-einject=") + call + ":signal=KILL:when=" + std::to_string(n),
        CliPath()};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(command);
}

// `args` killed at each call that changes a folder, from `reset` each time, and `check`ed
// after each kill; the number of kills. Each call up to its 12th, then every 8th
// (VELOMAR_KILL_STEP): removing a set takes one call per file, each leaving the same kind of
// state.
int KillAtEachCall(const std::vector<std::string>& args, const std::function<void()>& reset,
                   const std::function<void(const std::string&)>& check) {
    const char* every = std::getenv("VELOMAR_KILL_STEP");  // 1: every call
    const int step = every != nullptr ? std::max(1, std::atoi(every)) : 8;
    int kills = 0;
    for (const char* call : kFolderCalls) {
        for (int n = 1;; n += n < 12 ? 1 : step) {
            reset();
            const int status = RunKilledAt(call, n, args);
            if (status != -1) {
                EXPECT_EQ(status, 0) << call;
                break;
            }
            ++kills;
            check("killed at " + std::string(call) + " " + std::to_string(n));
            if (::testing::Test::HasFatalFailure()) {
                return kills;
            }
        }
    }
    return kills;
}

Files Snapshot(const fs::path& folder) {
    Files files;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::ifstream in(it->path(), std::ios::binary);
        files[it->path().filename().string()] =
            std::string((std::istreambuf_iterator<char>(in)), {});
    }
    return files;
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Write(const fs::path& folder, const Files& files) {
    fs::create_directories(folder);
    for (const auto& [name, text] : files) {
        std::ofstream(folder / name, std::ios::binary) << text;
    }
}

class SwapKill : public testing::Test {
  protected:
    void SetUp() override {
        if (RunProgram({"strace", "-o", "/dev/null", "true"}) != 0) {
            GTEST_SKIP() << "strace is not installed or cannot trace here";
        }
        // A memory file system where there is one: the runs flush every file they write.
        std::error_code code;
        const char* dir = std::getenv("VELOMAR_KILL_DIR");
        const fs::path base = dir != nullptr                       ? fs::path(dir)
                              : fs::is_directory("/dev/shm", code) ? fs::path("/dev/shm")
                                                                   : fs::temp_directory_path();
        std::random_device random;
        m_root = base / ("velomar_swap_kill_" + std::to_string(random()));
        fs::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    fs::path m_root;
};

// Two feeds of 경의선 whose trains differ; each imported week is a set of 65 files.
Files Feed(const std::string& departure) {
    return {{"stops.txt", "stop_id,stop_name\nMS,문산\nDR,도라산\n"},
            {"routes.txt", "route_id,route_short_name,route_type\nM,무궁화,2\n"},
            {"calendar.txt",
             "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
             "end_date\nD,1,1,1,1,1,1,1,20240101,20241231\n"},
            {"trips.txt", "route_id,service_id,trip_id,trip_short_name\nM,D,T1,101\nM,D,T2,102\n"},
            {"stop_times.txt", "trip_id,arrival_time,departure_time,stop_id,stop_sequence\nT1," +
                                   departure + "," + departure +
                                   ",MS,1\nT1,09:30:00,09:30:00,DR,2\nT2,10:00:00,10:00:00,DR,"
                                   "1\nT2,10:30:00,10:30:00,MS,2\n"}};
}

TEST_F(SwapKill, AnImportKilledAtAnyMomentLeavesTheOldOrTheNewTimetablesWhole) {
    Write(m_root / "old", Feed("08:00:00"));
    Write(m_root / "new", Feed("08:20:00"));
    const fs::path out = m_root / "out";
    auto import = [&](const char* feed) {
        return std::vector<std::string>{
            "import-gtfs", (m_root / feed).string(), "--out", out.string(), "--week", "20240101"};
    };
    ASSERT_EQ(Cli(import("new")), 0);
    const Files newSet = Snapshot(out / "TimeData");
    ASSERT_EQ(Cli(import("old")), 0);
    const Files oldSet = Snapshot(out / "TimeData");
    ASSERT_EQ(oldSet.size(), 65u);
    ASSERT_NE(oldSet, newSet);
    const int kills = KillAtEachCall(
        import("new"),
        [&] {
            fs::remove_all(out);
            Write(out / "TimeData", oldSet);
        },
        [&](const std::string& when) {
            const Files now = Snapshot(out / "TimeData");
            ASSERT_TRUE(now == oldSet || now == newSet) << when << ": " << now.size() << " files";
            ASSERT_EQ(Cli(import("new")), 0);
            EXPECT_EQ(Snapshot(out / "TimeData"), newSet);
            EXPECT_EQ(Entries(out), std::vector<std::string>{"TimeData"}) << when;
        });
    std::cout << kills << " kills\n";
    EXPECT_GT(kills, 2);
}

// The feed files replaced beside a file of the user's.
TEST_F(SwapKill, AnExportKilledAtAnyMomentLeavesTheOldOrTheNewFeedWhole) {
    const fs::path out = m_root / "feed";
    // Two of the samples, copied beside the program by the build: a feed of a few trains.
    const fs::path samples = fs::path(CliPath()).parent_path() / "TimeData";
    fs::create_directories(m_root / "data" / "TimeData");
    for (const char* name : {"UpData_06.txt", "DownData_06.txt"}) {
        fs::copy_file(samples / name, m_root / "data" / "TimeData" / name);
    }
    auto exportFrom = [&](const char* start, const char* end) {
        return std::vector<std::string>{"--data",       (m_root / "data").string(),
                                        "export-gtfs",  out.string(),
                                        "--start-date", start,
                                        "--end-date",   end};
    };
    const auto exportNew = exportFrom("20240101", "20241231");
    ASSERT_EQ(Cli(exportNew), 0);
    const Files newSet = Snapshot(out);
    ASSERT_EQ(Cli(exportFrom("20100101", "20101231")), 0);
    const Files oldSet = Snapshot(out);
    ASSERT_NE(oldSet, newSet);
    const auto reset = [&] {
        fs::remove_all(out);
        Write(out, oldSet);
        std::ofstream(out / "notes.md") << "mine";
    };
    reset();
    const std::vector<std::string> names = Entries(out);
    const int kills = KillAtEachCall(exportNew, reset, [&](const std::string& when) {
        {
            StagedFolder next;  // what the next run does first
            std::string error;
            ASSERT_TRUE(next.begin(out, StagedFolder::Replace::SameNames, error)) << error;
        }
        Files now = Snapshot(out);
        EXPECT_EQ(now["notes.md"], "mine");
        now.erase("notes.md");
        ASSERT_TRUE(now == oldSet || now == newSet) << when;
        EXPECT_EQ(Entries(out), names) << when;
    });
    std::cout << kills << " kills\n";
    EXPECT_GT(kills, 2);
}

}  // namespace
}  // namespace velomar
