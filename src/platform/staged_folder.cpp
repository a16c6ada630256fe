#include "platform/staged_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "platform/utf8.h"
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velomar {

namespace fs = std::filesystem;

namespace {

std::string RandomSuffix() {
    std::random_device random;
    return std::to_string(random() % 1000000000u);
}

std::string Quoted(const fs::path& path) {
    return PathToUtf8(path);
}

// A rename is only durable once the folder that holds it is on the disk too.
void SyncFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
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
}

bool StagedFolder::begin(const fs::path& target, Replace mode, std::string& error) {
    m_target = Normalised(fs::absolute(target));
    m_mode = mode;
    std::error_code code;
    const fs::file_status status = fs::status(m_target, code);
    m_targetExisted = fs::exists(status);
    if (m_targetExisted && !fs::is_directory(status)) {
        error = Quoted(m_target) + " exists and is not a folder";
        return false;
    }
    const fs::path parent = m_target.parent_path();
    fs::create_directories(parent, code);
    if (code) {
        error = "cannot create the folder " + Quoted(parent) + ": " + code.message();
        return false;
    }
    const bool inside = m_mode == Replace::SameNames && m_targetExisted;
    // Built in steps: GCC 12 at -O2 warns wrongly (-Wrestrict) about "." + a temporary.
    std::string name = ".";
    name += m_target.filename().string() + ".velomar-new-";
    for (int attempt = 0; attempt < 10; ++attempt) {
        const fs::path staging = (inside ? m_target : parent) / (name + RandomSuffix());
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

bool StagedFolder::commitWhole(std::string& error) {
    std::error_code code;
    std::string oldName = ".";
    oldName += m_target.filename().string() + ".velomar-old-" + RandomSuffix();
    const fs::path old = m_target.parent_path() / oldName;
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
    m_staging.clear();
    SyncFolder(m_target.parent_path());
    fs::remove_all(old, code);
    return true;
}

// The staged folder lies inside the target: move each old file aside into it, the new one
// in its place, and undo every step when one of them fails.
bool StagedFolder::commitByName(std::string& error) {
    const fs::path aside = m_staging / ".old";
    std::error_code code;
    fs::create_directory(aside, code);
    std::vector<std::pair<std::string, bool>> done;  // name, whether an old file was moved
    for (const std::string& name : m_names) {
        const fs::path final = m_target / name;
        const bool hadOld = fs::exists(fs::symlink_status(final, code));
        code.clear();
        if (hadOld) {
            fs::rename(final, aside / name, code);
        }
        if (!code) {
            fs::rename(m_staging / name, final, code);
            if (code && hadOld) {
                std::error_code back;
                fs::rename(aside / name, final, back);
            }
        }
        if (code) {
            error =
                "cannot move the new " + name + " into " + Quoted(m_target) + ": " + code.message();
            for (auto it = done.rbegin(); it != done.rend(); ++it) {
                std::error_code back;
                fs::rename(m_target / it->first, m_staging / it->first, back);
                if (it->second) {
                    fs::rename(aside / it->first, m_target / it->first, back);
                }
            }
            return false;
        }
        done.emplace_back(name, hadOld);
    }
    SyncFolder(m_target);
    return true;  // the destructor removes the staging folder and the old files in it
}

}  // namespace velomar
