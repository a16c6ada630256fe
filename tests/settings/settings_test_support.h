#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace velomar::testing {

// A count or seed from the environment; the fallback when unset or not a whole number.
inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const std::uint64_t value = std::strtoull(text, &end, 10);
    return *end == '\0' ? value : fallback;
}

// A directory of its own for one test, removed afterwards.
class TempDir {
  public:
    // Below `base` (the system's temporary directory when empty).
    explicit TempDir(const std::filesystem::path& base = {}) {
        static int counter = 0;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info != nullptr ? info->name() : "test";
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        m_path = (base.empty() ? std::filesystem::temp_directory_path() : base) /
                 ("velomar_settings_" + std::to_string(::getpid()) + "_" +
                  std::to_string(++counter) + "_" + name);
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

// Another process, forked while this one has no connection open (SQLite's per-process
// lock bookkeeping must not be inherited), that runs `body` once told to go.
class ChildProcess {
  public:
    template <typename Body>
    explicit ChildProcess(Body&& body) {
        int fds[2] = {-1, -1};
        if (::pipe(fds) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[1]);
            char go = 0;
            const bool told = ::read(fds[0], &go, 1) == 1;
            ::_exit(told && body() ? 0 : 1);
        }
        ::close(fds[0]);
        m_go = fds[1];
    }
    ~ChildProcess() {
        if (m_go >= 0) {
            ::close(m_go);
        }
        if (m_pid > 0 && !m_waited) {
            wait();
        }
    }
    void go() {
        const char byte = 1;
        ASSERT_EQ(::write(m_go, &byte, 1), 1);
    }
    // The exit status: 0 when the body succeeded.
    int wait() {
        int status = -1;
        ::waitpid(m_pid, &status, 0);
        m_waited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t m_pid = -1;
    int m_go = -1;
    bool m_waited = false;
};

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A number stored under the program's key, or nothing when it cannot be read.
inline std::optional<std::uint32_t> ReadNumber(SettingsBackend& store, std::u16string_view name) {
    std::uint32_t value = 0;
    if (!ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, name, &value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace velomar::testing
