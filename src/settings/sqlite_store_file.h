#pragma once

// Deciding what the file at the store's place is before anything is written to it: our
// store, an empty place, another program's database, or something broken to move aside.
#include <cstdint>
#include <filesystem>

#include "settings/sqlite_statement.h"

namespace velomar::sqlite {

enum class FileVerdict {
    Fresh,       // nothing there yet, or an empty file
    Ours,        // our store, checked
    Unclear,     // a torn header with a hot journal: ours to recover
    Foreign,     // another program's database: never touched
    Broken,      // not a usable store: moved aside
    Damaged,     // ours, its values intact but an index that disagrees: left as it is
    Busy,        // another program held the lock beyond the timeout
    Unopenable,  // cannot be opened now (permissions, I/O)
};

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity Identify(const std::filesystem::path& file);
std::filesystem::path JournalOf(const std::filesystem::path& file);
// A free name beside the file: FILE.broken-YYYYmmdd-HHMMSS (with -2, -3, ... if taken).
std::filesystem::path AsidePath(const std::filesystem::path& file);

// Looks at the file's header only, so a database of another program is never opened by
// SQLite (which could write journals or roll one back into it).
FileVerdict Inspect(const std::filesystem::path& file);

struct Connection {
    sqlite3* db = nullptr;
    FileVerdict verdict = FileVerdict::Unopenable;
};

// Opens the connection (waiting for locks as `lock` says) and checks the database through
// SQLite. Anything but our store is closed again before anything is written to it.
Connection Connect(const std::filesystem::path& file, LockPath lock);

}  // namespace velomar::sqlite
