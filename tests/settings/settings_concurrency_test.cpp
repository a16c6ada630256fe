// Two processes on one SQLite store at the same time, on the ordinary disk: locking and
// waiting behave differently there than in memory, where commits are almost free.
//
// Environment: VELOMAR_CONCURRENT_STEPS (increments per process, default 1000),
// VELOMAR_HANDSHAKE_ROUNDS (default 200), VELOMAR_CONCURRENT_DIR (where the store lives,
// default the system's temporary folder).
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"

namespace velomar {
namespace {

using testing::ChildProcess;
using testing::EnvNumber;
using testing::TempDir;

std::filesystem::path ConcurrentBase() {
    if (const char* dir = std::getenv("VELOMAR_CONCURRENT_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return {};
}

// Counters the children fill in, in memory shared across fork.
struct Tally {
    std::atomic<std::uint64_t> done[2];
    std::atomic<std::uint64_t> failed[2];
    std::atomic<bool> stop;
};

class SharedTally {
  public:
    SharedTally() {
        void* memory = ::mmap(nullptr, sizeof(Tally), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        m_tally = memory == MAP_FAILED ? nullptr : new (memory) Tally{};
    }
    ~SharedTally() {
        if (m_tally != nullptr) {
            ::munmap(m_tally, sizeof(Tally));
        }
    }
    SharedTally(const SharedTally&) = delete;
    SharedTally& operator=(const SharedTally&) = delete;
    Tally* operator->() const { return m_tally; }
    explicit operator bool() const { return m_tally != nullptr; }

  private:
    Tally* m_tally = nullptr;
};

using testing::ReadNumber;

// Each process adds 1 to one number, many times, read-modify-write in one transaction.
// Any lost update shows as a total below 2 x steps.
TEST(SettingsConcurrency, TwoProcessesIncrementWithoutLosingUpdates) {
    const std::uint64_t steps = EnvNumber("VELOMAR_CONCURRENT_STEPS", 1000);
    TempDir dir(ConcurrentBase());
    const auto file = dir / "settings.sqlite3";
    {
        auto store = SqliteSettingsBackend::Open(file);
        ASSERT_TRUE(WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Counter", 0));
    }
    SharedTally tally;
    ASSERT_TRUE(tally);
    const auto incrementer = [&](int which) {
        return [&, which] {
            auto store = SqliteSettingsBackend::Open(file);
            for (std::uint64_t i = 0; i < steps; ++i) {
                const bool ok =
                    UpdateNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Counter",
                                        [](std::uint32_t v) { return v + 1; });
                (ok ? tally->done[which] : tally->failed[which])++;
            }
            return true;
        };
    };
    ChildProcess first(incrementer(0));
    ChildProcess second(incrementer(1));
    const auto began = std::chrono::steady_clock::now();
    first.go();
    second.go();
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(second.wait(), 0);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    auto store = SqliteSettingsBackend::Open(file);
    const auto total = ReadNumber(*store, u"Counter");
    ASSERT_TRUE(total);
    const std::uint64_t done = tally->done[0] + tally->done[1];
    const std::uint64_t failed = tally->failed[0] + tally->failed[1];
    std::cout << "[ concur   ] 2 processes x " << steps << " increments: total " << *total
              << ", lost updates " << static_cast<std::int64_t>(done) - *total
              << ", failed operations " << failed << ", in " << took << " s, store in "
              << dir.path().parent_path() << std::endl;
    EXPECT_EQ(failed, 0u);
    EXPECT_EQ(done, 2 * steps);
    EXPECT_EQ(*total, 2 * steps);
}

// One program takes the lock again the moment it lets it go, in a tight loop; another must
// still get each of its turns within the busy timeout (a short one here, so that a program
// shut out shows at once). Without turns, the waiting one only finds the lock free by chance.
TEST(SettingsConcurrency, AWaitingProgramGetsItsTurnAgainstATightLoop) {
    constexpr auto kTimeout = std::chrono::milliseconds(400);
    constexpr std::uint64_t kTurns = 50;
    TempDir dir(ConcurrentBase());
    const auto file = dir / "settings.sqlite3";
    {
        auto store = SqliteSettingsBackend::Open(file);
        ASSERT_TRUE(WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Counter", 0));
    }
    SharedTally tally;
    ASSERT_TRUE(tally);
    const auto increment = [](SettingsBackend& store) {
        return UpdateNumberSetting(store, kSettingsRoot, kSettingsKeyPath, u"Counter",
                                   [](std::uint32_t v) { return v + 1; });
    };
    ChildProcess hog([&] {
        auto store = SqliteSettingsBackend::Open(file, nullptr, kTimeout);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!tally->stop && std::chrono::steady_clock::now() < until) {
            (increment(*store) ? tally->done[0] : tally->failed[0])++;
        }
        return true;
    });
    ChildProcess waiter([&] {
        auto store = SqliteSettingsBackend::Open(file, nullptr, kTimeout);
        for (std::uint64_t i = 0; i < kTurns; ++i) {
            (increment(*store) ? tally->done[1] : tally->failed[1])++;
        }
        tally->stop = true;
        return true;
    });
    hog.go();
    while (tally->done[0] + tally->failed[0] < 20) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    waiter.go();
    EXPECT_EQ(waiter.wait(), 0);
    EXPECT_EQ(hog.wait(), 0);
    std::cout << "[ turns    ] waiting program: " << tally->done[1] << " of " << kTurns
              << " steps done; the loop did " << tally->done[0] << ", failed " << tally->failed[0]
              << std::endl;
    EXPECT_EQ(tally->failed[1], 0u);
    EXPECT_EQ(tally->done[1], kTurns);
    EXPECT_EQ(tally->failed[0], 0u);
    auto store = SqliteSettingsBackend::Open(file);
    EXPECT_EQ(ReadNumber(*store, u"Counter"), tally->done[0] + tally->done[1]);
}

// One process writes and tells the other through a pipe; the other's next read must see the
// value, and answers the same way. Both keep their store open throughout, so nothing may be
// served from a stale copy.
TEST(SettingsConcurrency, AWriteIsSeenByTheOtherProcessNextRead) {
    const std::uint32_t rounds =
        static_cast<std::uint32_t>(EnvNumber("VELOMAR_HANDSHAKE_ROUNDS", 200));
    TempDir dir(ConcurrentBase());
    const auto file = dir / "settings.sqlite3";
    int toChild[2] = {-1, -1};
    int toParent[2] = {-1, -1};
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const auto signal = [](int fd) {
        const char byte = 1;
        return ::write(fd, &byte, 1) == 1;
    };
    const auto await = [](int fd) {
        char byte = 0;
        return ::read(fd, &byte, 1) == 1;
    };

    ChildProcess child([&] {
        ::close(toChild[1]);  // so a parent that is gone reads as the end of the pipe
        auto store = SqliteSettingsBackend::Open(file);
        for (std::uint32_t round = 0; round < rounds; ++round) {
            if (!await(toChild[0]) || ReadNumber(*store, u"Ping") != 2 * round + 1 ||
                ReadStationText(*store, kStartStationName) !=
                    u"출발" + std::u16string(1, u'0' + round % 10)) {
                return false;
            }
            if (!WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Pong",
                                    2 * round + 2) ||
                !signal(toParent[1])) {
                return false;
            }
        }
        return true;
    });
    ::close(toParent[1]);
    // Closed before the child is waited for, also when an assertion ends the test early:
    // the child then reads the end of the pipe and stops instead of waiting forever.
    const auto closeAll = [&] {
        for (int* fd : {&toChild[0], &toChild[1], &toParent[0]}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    };
    struct Closer {
        decltype(closeAll)& close;
        ~Closer() { close(); }
    } closer{closeAll};
    child.go();
    auto store = SqliteSettingsBackend::Open(file);
    std::uint32_t seen = 0;
    for (std::uint32_t round = 0; round < rounds; ++round) {
        ASSERT_TRUE(
            WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"Ping", 2 * round + 1));
        ASSERT_TRUE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                                     u"출발" + std::u16string(1, u'0' + round % 10)));
        ASSERT_TRUE(signal(toChild[1]));
        ASSERT_TRUE(await(toParent[0])) << "the other process stopped in round " << round;
        ASSERT_EQ(ReadNumber(*store, u"Pong"), 2 * round + 2) << "round " << round;
        ++seen;
    }
    closeAll();
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(seen, rounds);
}

}  // namespace
}  // namespace velomar
