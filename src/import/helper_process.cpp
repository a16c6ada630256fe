#include "import/helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace velomar {

std::unique_ptr<HelperProcess> HelperProcess::start(const std::filesystem::path& program,
                                                    const std::vector<std::string>& arguments,
                                                    std::string& error) {
    // A socket rather than two pipes: sending to a helper that died must fail, not raise
    // SIGPIPE in the calling program.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        error = std::string("cannot connect to a helper: ") + std::strerror(errno);
        return nullptr;
    }
    std::vector<std::string> texts{program.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (failed != 0) {
        error = program.string() + " cannot be started: " + std::strerror(failed);
        ::close(ends[0]);
        return nullptr;
    }
    return std::unique_ptr<HelperProcess>(new HelperProcess(pid, ends[0]));
}

HelperProcess::~HelperProcess() {
    ::close(m_connection);
    if (!m_reaped) {
        // It may be checking a large file; nothing it does is needed any more.
        ::kill(m_pid, SIGTERM);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

bool HelperProcess::send(std::string_view bytes) {
    while (!bytes.empty() && m_failure.empty()) {
        const ssize_t n = ::send(m_connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno != EINTR) {
            return broke(std::strerror(errno));
        }
    }
    return m_failure.empty();
}

bool HelperProcess::receive(char* buffer, std::size_t size) {
    while (size > 0 && m_failure.empty()) {
        const ssize_t n = ::read(m_connection, buffer, size);
        if (n > 0) {
            buffer += n;
            size -= static_cast<std::size_t>(n);
        } else if (n == 0) {
            return broke("");
        } else if (errno != EINTR) {
            return broke(std::strerror(errno));
        }
    }
    return m_failure.empty();
}

// The helper is gone or unreachable: how it ended says more than the failed call.
bool HelperProcess::broke(std::string reason) {
    int status = 0;
    pid_t ended = 0;
    while ((ended = ::waitpid(m_pid, &status, reason.empty() ? 0 : WNOHANG)) < 0 &&
           errno == EINTR) {
    }
    if (ended == m_pid) {
        m_reaped = true;
        if (WIFSIGNALED(status)) {
            reason = "ended by signal " + std::to_string(WTERMSIG(status));
        } else if (reason.empty()) {
            reason = "ended with status " + std::to_string(WEXITSTATUS(status));
        }
    }
    m_failure = reason.empty() ? "ended" : reason;
    return false;
}

}  // namespace velomar
