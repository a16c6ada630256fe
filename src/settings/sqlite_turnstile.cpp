#include "settings/sqlite_turnstile.h"

#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace velomar {

std::filesystem::path Turnstile::fileOf(const std::filesystem::path& store) {
    std::filesystem::path file = store;
    file += "-turnstile";
    return file;
}

#ifndef _WIN32

// flock, not fcntl: fcntl locks belong to the process and vanish when any descriptor of the
// file is closed, while flock locks belong to the open file, so two stores of one process
// take turns too.
Turnstile::Turnstile(const std::filesystem::path& store) {
    m_fd = ::open(fileOf(store).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

Turnstile::~Turnstile() {
    if (m_fd >= 0) {
        ::close(m_fd);  // also leaves
    }
}

bool Turnstile::enter(std::chrono::milliseconds timeout) {
    if (m_fd < 0 || m_inside) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_inside = true;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // The one inside leaves as soon as it has the store's lock: short sleeps catch that.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

void Turnstile::leave() {
    if (m_inside) {
        ::flock(m_fd, LOCK_UN);
        m_inside = false;
    }
}

#else

Turnstile::Turnstile(const std::filesystem::path&) {}
Turnstile::~Turnstile() = default;
bool Turnstile::enter(std::chrono::milliseconds) {
    return false;
}
void Turnstile::leave() {}

#endif

}  // namespace velomar
