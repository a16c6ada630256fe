#pragma once

// A helper program run as a child process and talked to over one connection: what is sent
// arrives on its standard input, what it writes to its standard output is received (POSIX
// only). The helper ends when the connection closes; it is ended at once when this ends.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

class HelperProcess {
  public:
    // Starts `program` with `arguments`; nothing (error set) when it cannot be started.
    static std::unique_ptr<HelperProcess> start(const std::filesystem::path& program,
                                                const std::vector<std::string>& arguments,
                                                std::string& error);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // All of `bytes`, or false (failure() says why). Never raises SIGPIPE.
    bool send(std::string_view bytes);
    // Exactly `size` bytes, or false at the helper's end or on a failed read.
    bool receive(char* buffer, std::size_t size);
    // Once sending or receiving failed: why, the helper's end included ("ended by signal 9").
    const std::string& failure() const { return m_failure; }

  private:
    HelperProcess(pid_t pid, int connection) : m_pid(pid), m_connection(connection) {}
    bool broke(std::string reason);

    pid_t m_pid;
    int m_connection;
    bool m_reaped = false;
    std::string m_failure;
};

}  // namespace velomar
