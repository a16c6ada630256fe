#include "platform/staged_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "platform/staged_folder_steps.h"
#include "platform/utf8.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace velomar {

namespace fs = std::filesystem;
using staging::Quoted;
using staging::SyncFolder;

namespace {

std::string RandomSuffix() {
    std::random_device random;
    return std::to_string(random() % 1000000000u);
}

// "feed" for "/a/feed" and for "/a/feed/".
fs::path Normalised(const fs::path& target) {
    fs::path path = target.lexically_normal();
    if (path.filename().empty() && path.has_parent_path()) {
        path = path.parent_path();
    }
    return path;
}

}  // namespace

namespace staging {

std::string Quoted(const fs::path& path) {
    return PathToUtf8(path);
}

void SyncFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

int LockFolder([[maybe_unused]] const fs::path& folder) {
#ifdef _WIN32
    return -1;
#else
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return -1;
        }
    }
    return fd;
#endif
}

void UnlockFolder([[maybe_unused]] int lock) {
#ifndef _WIN32
    if (lock >= 0) {
        ::close(lock);  // releases the lock
    }
#endif
}

bool ExchangeFolders([[maybe_unused]] const fs::path& a, [[maybe_unused]] const fs::path& b,
                     std::error_code& code) {
#ifdef __linux__
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) {
        code.clear();
        return true;
    }
    code.assign(errno, std::generic_category());
#else
    code = std::make_error_code(std::errc::not_supported);
#endif
    return false;
}

}  // namespace staging

bool WriteFileDurably(const fs::path& path, std::string_view bytes, std::string& error) {
#ifdef _WIN32
    std::FILE* file = ::_wfopen(path.c_str(), L"wb");
#else
    std::FILE* file = std::fopen(path.c_str(), "wb");
#endif
    if (file == nullptr) {
        error = "cannot create " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
#ifndef _WIN32
    ok = ok && ::fsync(::fileno(file)) == 0;
#endif
    const int savedErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        error =
            "cannot write " + Quoted(path) + ": " + std::strerror(savedErrno ? savedErrno : errno);
    }
    return ok;
}

StagedFolder::~StagedFolder() {
    if (!m_staging.empty()) {
        std::error_code ignored;
        fs::remove_all(m_staging, ignored);
    }
    staging::UnlockFolder(m_lock);
}

bool StagedFolder::begin(const fs::path& target, Replace mode, std::string& error) {
    m_target = Normalised(fs::absolute(target));
    m_mode = mode;
    std::error_code code;
    const fs::path parent = m_target.parent_path();
    fs::create_directories(parent, code);
    if (code) {
        error = "cannot create the folder " + Quoted(parent) + ": " + code.message();
        return false;
    }
    // Until this run ends no other run for the target starts, so every run folder found
    // from now on was left by a run that is gone.
    m_lock = staging::LockFolder(parent);
    if (m_lock >= 0 && !staging::CleanLeftovers(m_target, m_mode == Replace::WholeFolder, error)) {
        return false;
    }
    const fs::file_status status = fs::status(m_target, code);
    m_targetExisted = fs::exists(status);
    if (m_targetExisted && !fs::is_directory(status)) {
        error = Quoted(m_target) + " exists and is not a folder";
        return false;
    }
    const bool inside = m_mode == Replace::SameNames && m_targetExisted;
    const std::string prefix = staging::LeftoverPrefix(m_target, false);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const fs::path staging = (inside ? m_target : parent) / (prefix + RandomSuffix());
        if (fs::create_directory(staging, code) && !code) {
            m_staging = staging;
            return true;
        }
        if (code && code != std::errc::file_exists) {
            break;
        }
    }
    error = "cannot create a temporary folder in " + Quoted(inside ? m_target : parent) +
            (code ? ": " + code.message() : std::string());
    return false;
}

bool StagedFolder::write(std::string_view name, std::string_view bytes, std::string& error) {
    if (!WriteFileDurably(m_staging / std::string(name), bytes, error)) {
        return false;
    }
    m_names.emplace_back(name);
    return true;
}

bool StagedFolder::commit(std::string& error) {
    std::error_code code;
    SyncFolder(m_staging);
    if (!fs::exists(m_target, code)) {
        fs::rename(m_staging, m_target, code);
        if (code) {
            error = "cannot move the new files into " + Quoted(m_target) + ": " + code.message();
            return false;
        }
        m_staging.clear();
        SyncFolder(m_target.parent_path());
        return true;
    }
    if (m_mode == Replace::WholeFolder) {
        return commitWhole(error);
    }
    return commitByName(error);
}

// One exchange of the two folders: readers find the old set or the new one, whatever moment
// a kill comes. The staging name then holds the old set, removed by the destructor (or by the
// next run, when a kill comes first). Where the file system cannot exchange, the old folder
// is moved aside first; a kill between the two renames leaves it for the next run to put back.
bool StagedFolder::commitWhole(std::string& error) {
    std::error_code code;
    if (staging::ExchangeFolders(m_staging, m_target, code)) {
        SyncFolder(m_target.parent_path());
        return true;
    }
    const fs::path old =
        m_target.parent_path() / (staging::LeftoverPrefix(m_target, true) + RandomSuffix());
    fs::rename(m_target, old, code);
    if (code) {
        error = "cannot move " + Quoted(m_target) + " aside: " + code.message();
        return false;
    }
    fs::rename(m_staging, m_target, code);
    if (code) {
        std::error_code back;
        fs::rename(old, m_target, back);
        error = "cannot move the new files into " + Quoted(m_target) + ": " + code.message();
        return false;
    }
    m_staging = old;
    SyncFolder(m_target.parent_path());
    return true;
}

// The destructor removes the staging folder with the old files and the journal in it,
// unless an undo is left to do.
bool StagedFolder::commitByName(std::string& error) {
    if (!staging::CheckPlaces(m_target, m_names, error)) {
        return false;
    }
    if (staging::ReplaceByName(m_staging, m_target, m_names, error)) {
        return true;
    }
    if (staging::Unfinished(m_staging)) {
        m_staging.clear();
    }
    return false;
}

}  // namespace velomar
