// The SQLite store killed at random moments while favourites are added and deleted.
//
// favorites_churn changes the pairs through the dialog's own add and delete rules and is
// killed with SIGKILL after a random delay, over and over. After every kill the store must
// open as it is (never moved aside), pass SQLite's integrity check and obey the favourites
// rules:
//  - "FavoriteCount" is a number, 100 (no pair) or 0 to 9 (the index of the last pair);
//  - FS k and FE k exist for every k up to the count, and the key holds nothing else;
//  - pairs are intact. Adding stores the two field texts as FS k / FE k of one new index;
//    deleting moves FS i+1 / FE i+1 down to FS i / FE i together. So every stored FS k and
//    FE k must come from the same addition: the churn puts one serial into both texts of a
//    pair, and FS k and FE k must carry the same one. Serials also grow with k, since pairs
//    are only appended and deletions keep the order;
//  - nothing committed is lost: the pairs are those the churn reported stored last, or the
//    ones of the change it was in the middle of (all or nothing).
//
// One kill in ten comes while the churn opens the store and starts the dialog, the others at a
// random moment up to a window after that start.
//
// Environment: VELOMAR_KILL_COUNT (default 1000), VELOMAR_KILL_SECONDS (time budget, default
// 45), VELOMAR_KILL_SEED (default: random, printed), VELOMAR_KILL_WINDOW_MS (default 25),
// VELOMAR_FAVORITES_CHURN (the program).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "screens/favorites.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"

extern char** environ;

namespace velomar {
namespace {

using Clock = std::chrono::steady_clock;
using Serials = std::vector<std::uint64_t>;
using testing::EnvNumber;
using testing::TempDir;

std::string ChurnProgram() {
    const char* path = std::getenv("VELOMAR_FAVORITES_CHURN");
    return path != nullptr && *path != '\0' ? path : VELOMAR_FAVORITES_CHURN_PATH;
}

std::string ToString(const Serials& serials) {
    std::string text = "[";
    for (std::uint64_t serial : serials) {
        // Appended piece by piece: GCC 12 warns (-Wrestrict, a false positive) about
        // `"literal" + std::string&&` in optimised builds.
        if (text.size() > 1) {
            text += ' ';
        }
        text += std::to_string(serial);
    }
    return text + "]";
}

std::optional<std::uint64_t> SerialOf(const std::u16string& text, std::u16string_view prefix) {
    if (!text.starts_with(prefix) || text.size() == prefix.size()) {
        return std::nullopt;
    }
    std::uint64_t serial = 0;
    for (char16_t c : std::u16string_view(text).substr(prefix.size())) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        serial = serial * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    return serial;
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

std::string IntegrityCheck(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            result += (result.empty() ? "" : "; ") + std::string(text ? text : "");
        }
    } else {
        result = sqlite3_errmsg(db);
    }
    sqlite3_finalize(stmt);
    return result;
}

// Opens the store as the program does and checks it; the stored pairs, or what is wrong.
struct Inspection {
    Serials serials;
    std::string fault;  // empty when every rule holds
};

Inspection InspectStore(const std::filesystem::path& file) {
    Inspection out;
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    if (!report.opened || report.movedAside) {
        out.fault = report.movedAside ? "the store was moved aside" : "the store does not open";
        return out;
    }
    const std::string integrity = IntegrityCheck(store->db());
    if (integrity != "ok") {
        out.fault = "integrity_check: " + integrity;
        return out;
    }
    std::uint32_t count = 0;
    if (!ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName, &count)) {
        out.fault = "FavoriteCount cannot be read as a number";
        return out;
    }
    if (count != kNoFavoritePairs && count > 9) {
        out.fault = "FavoriteCount is " + std::to_string(count);
        return out;
    }
    const int pairs = count == kNoFavoritePairs ? 0 : static_cast<int>(count) + 1;

    std::set<std::u16string> expected{FoldNameCase(kFavoriteCountName)};
    for (int k = 0; k < pairs; ++k) {
        expected.insert(FoldNameCase(FavoriteStartName(k)));
        expected.insert(FoldNameCase(FavoriteEndName(k)));
    }
    std::set<std::u16string> present;
    auto key = store->openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing);
    for (const StoredValue& value : key ? key->values() : std::vector<StoredValue>{}) {
        present.insert(FoldNameCase(value.name));
    }
    if (present != expected) {
        std::string names;
        for (const auto& name : present) {
            names += " " + Narrow(name);
        }
        out.fault = "FavoriteCount " + std::to_string(count) + " but the key holds:" + names;
        return out;
    }
    for (int k = 0; k < pairs; ++k) {
        const auto start = ReadStationText(*store, FavoriteStartName(k));
        const auto end = ReadStationText(*store, FavoriteEndName(k));
        const auto serial = start ? SerialOf(*start, u"출발") : std::nullopt;
        if (!serial || !end || SerialOf(*end, u"도착") != serial) {
            out.fault = "pair " + std::to_string(k) + " is not intact";
            return out;
        }
        if (!out.serials.empty() && *serial <= out.serials.back()) {
            out.fault = "pair " + std::to_string(k) + " is out of order";
            return out;
        }
        out.serials.push_back(*serial);
    }
    return out;
}

Serials ParseSerials(const std::string& rest) {
    Serials serials;
    std::istringstream in(rest);
    for (std::uint64_t serial = 0; in >> serial;) {
        serials.push_back(serial);
    }
    return serials;
}

// What the churn reported before it died.
struct ChurnReport {
    std::string buffer;
    std::optional<Serials> started;  // the pairs it found (R)
    Serials stored;                  // after its last reported change (D)
    std::optional<Serials> pending;  // a change begun (W) and not reported done
    std::uint64_t changesDone = 0;
    std::string error;  // F or E lines

    explicit ChurnReport(Serials before) : stored(std::move(before)) {}

    void feed(const char* data, std::size_t size) {
        buffer.append(data, size);
        for (auto end = buffer.find('\n'); end != std::string::npos; end = buffer.find('\n')) {
            const std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            if (line.starts_with("R")) {
                started = ParseSerials(line.substr(1));
                if (*started != stored) {
                    error += "started with " + ToString(*started) + " after " + ToString(stored);
                }
            } else if (line.starts_with("W")) {
                pending = ParseSerials(line.substr(1));
            } else if (line == "D" && pending) {
                stored = *pending;
                pending.reset();
                ++changesDone;
            } else {
                error += line + "; ";
            }
        }
    }
};

// Reads what arrives on `fd` until `deadline` (or the end of the output when there is none),
// or until the churn has reported its start when `untilStarted`. False when the churn is gone.
bool Drain(int fd, ChurnReport& report, std::optional<Clock::time_point> deadline,
           bool untilStarted = false) {
    char chunk[4096];
    for (;;) {
        if (untilStarted && report.started) {
            return true;
        }
        timespec timeout{};
        if (deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::nanoseconds>(*deadline - Clock::now());
            if (left.count() <= 0) {
                return true;
            }
            timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
        }
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::ppoll(&pfd, 1, deadline ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return false;
        }
        if (ready == 0) {
            return true;
        }
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        report.feed(chunk, static_cast<std::size_t>(n));
    }
}

struct Spawned {
    pid_t pid = -1;
    int output = -1;
};

Spawned SpawnChurn(const std::string& program, const std::filesystem::path& store,
                   std::uint64_t seed, std::uint64_t firstSerial) {
    Spawned spawned;
    int fds[2] = {-1, -1};
    if (::pipe(fds) != 0) {
        return spawned;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    const std::string storeArg = store.string();
    const std::string seedArg = std::to_string(seed);
    const std::string serialArg = std::to_string(firstSerial);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(storeArg.c_str()),
                    const_cast<char*>(seedArg.c_str()), const_cast<char*>(serialArg.c_str()),
                    nullptr};
    const int rc = ::posix_spawn(&spawned.pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        spawned.pid = -1;
        return spawned;
    }
    spawned.output = fds[0];
    return spawned;
}

TEST(FavoritesKill, StoreSurvivesSigkillAtRandomMoments) {
    const std::uint64_t kills = EnvNumber("VELOMAR_KILL_COUNT", 1000);
    const auto budget = std::chrono::seconds(EnvNumber("VELOMAR_KILL_SECONDS", 45));
    const std::uint64_t seed = EnvNumber("VELOMAR_KILL_SEED", std::random_device{}());
    const auto window = std::chrono::microseconds(EnvNumber("VELOMAR_KILL_WINDOW_MS", 25) * 1000);
    const std::string program = ChurnProgram();
    std::cout << "[ kill     ] seed " << seed << " (VELOMAR_KILL_SEED), up to " << kills
              << " kills in " << budget.count() << " s, churn " << program << std::endl;
    ASSERT_EQ(::access(program.c_str(), X_OK), 0) << program;

    TempDir dir;
    const auto file = dir / "settings.sqlite3";
    {
        // The dialog's first opening creates "FavoriteCount".
        auto store = SqliteSettingsBackend::Open(file);
        RecordingMessageSink messages;
        Favorites(*store, messages).start();
    }
    std::mt19937_64 rng(seed);
    Serials verified;
    // How long the churn takes to open the store and start the dialog.
    auto startup = std::chrono::microseconds(5000);
    std::uint64_t done = 0, passed = 0, changes = 0, midChangeCommitted = 0,
                  midChangeRolledBack = 0, beforeStart = 0;
    std::size_t mostPairs = 0;
    const auto began = Clock::now();
    while (done < kills && Clock::now() - began < budget) {
        const Spawned churn = SpawnChurn(program, file, rng(), (done + 1) * 1'000'000);
        ASSERT_GT(churn.pid, 0) << "cannot start " << program;
        const auto spawnedAt = Clock::now();
        ChurnReport report(verified);
        const auto pick = [&](std::chrono::microseconds upTo) {
            return std::chrono::microseconds(
                std::uniform_int_distribution<std::int64_t>(0, upTo.count())(rng));
        };
        if (rng() % 10 == 0) {
            // Now and then while it opens the store and reads the pairs.
            Drain(churn.output, report, spawnedAt + pick(startup));
        } else {
            // Mostly while it changes pairs: a random moment after it started.
            Drain(churn.output, report, spawnedAt + std::chrono::seconds(10), true);
            if (report.started) {
                const auto took =
                    std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - spawnedAt);
                startup = (startup * 7 + took) / 8;
                Drain(churn.output, report, Clock::now() + pick(window));
            }
        }
        ::kill(churn.pid, SIGKILL);
        int status = 0;
        ::waitpid(churn.pid, &status, 0);
        Drain(churn.output, report, std::nullopt);
        ::close(churn.output);
        ++done;
        changes += report.changesDone;

        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the churn ended by itself (status " << status << "): " << report.error;
        ASSERT_EQ(report.error, "") << "after kill " << done;
        const Inspection found = InspectStore(file);
        ASSERT_EQ(found.fault, "") << "after kill " << done << ", seed " << seed;
        if (found.serials == report.stored) {
            midChangeRolledBack += report.pending ? 1 : 0;
        } else if (report.pending && found.serials == *report.pending) {
            ++midChangeCommitted;  // stored, killed before it could say so
        } else {
            FAIL() << "after kill " << done << ", seed " << seed << ": the store holds "
                   << ToString(found.serials) << ", the churn stored " << ToString(report.stored)
                   << (report.pending ? " and was changing to " + ToString(*report.pending) : "");
        }
        beforeStart += report.started ? 0 : 1;
        verified = found.serials;
        mostPairs = std::max(mostPairs, verified.size());
        ++passed;
    }
    const auto took = std::chrono::duration<double>(Clock::now() - began).count();
    std::cout << "[ kill     ] " << done << " kills, " << passed << " checks passed, " << changes
              << " changes stored, killed mid-change " << midChangeCommitted + midChangeRolledBack
              << " times (" << midChangeCommitted << " had committed, " << midChangeRolledBack
              << " rolled back), " << beforeStart << " before the dialog started, up to "
              << mostPairs << " pairs stored, in " << took << " s (seed " << seed << ")"
              << std::endl;
    EXPECT_EQ(passed, done);
    EXPECT_GT(done, 0u);
}

}  // namespace
}  // namespace velomar
