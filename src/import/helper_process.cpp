#include "import/helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace velomar {

namespace {

std::optional<std::size_t> ReadSome(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, capacity);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

void CloseBoth(const int (&fds)[2]) {
    ::close(fds[0]);
    ::close(fds[1]);
}

}  // namespace

std::unique_ptr<HelperOutput> HelperOutput::start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& arguments,
                                                  std::string& error) {
    int output[2];
    int messages[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    if (::pipe2(messages, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        CloseBoth(output);
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
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, messages[1], 2);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    ::close(messages[1]);
    if (failed != 0) {
        error = program.string() + " cannot be started: " + std::strerror(failed);
        ::close(output[0]);
        ::close(messages[0]);
        return nullptr;
    }
    return std::unique_ptr<HelperOutput>(new HelperOutput(pid, output[0], messages[0]));
}

HelperOutput::~HelperOutput() {
    if (!m_finished) {
        // Read no further: the helper need not finish its work.
        ::kill(m_pid, SIGTERM);
        finish();
    }
    ::close(m_output);
    ::close(m_messagesFd);
}

std::optional<std::size_t> HelperOutput::read(char* buffer, std::size_t capacity) {
    if (m_finished) {
        return m_status == 0 ? std::optional<std::size_t>(0) : std::nullopt;
    }
    const auto n = ReadSome(m_output, buffer, capacity);
    if (n && *n > 0) {
        return n;
    }
    if (!n) {
        ::kill(m_pid, SIGTERM);  // it might wait for a reader forever
    }
    finish();
    return n && m_status == 0 ? n : std::nullopt;
}

void HelperOutput::finish() {
    m_finished = true;
    char piece[4096];
    while (m_messages.size() < 64 * 1024) {
        const auto n = ReadSome(m_messagesFd, piece, sizeof piece);
        if (!n || *n == 0) {
            break;
        }
        m_messages.append(piece, *n);
    }
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return;
        }
    }
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace velomar
