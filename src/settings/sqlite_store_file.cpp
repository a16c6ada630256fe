#include "settings/sqlite_store_file.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/utf8.h"
#include "settings/sqlite_settings.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace velomar::sqlite {

namespace {

// Keys and values as the registry holds them. The *_fold columns carry the ASCII-folded
// spelling that lookups compare, so SQL never folds case itself.
constexpr const char* kCreateSchema =
    "CREATE TABLE IF NOT EXISTS keys ("
    " root INTEGER NOT NULL, path TEXT NOT NULL, path_fold TEXT NOT NULL,"
    " PRIMARY KEY (root, path_fold));"
    "CREATE TABLE IF NOT EXISTS settings_values ("
    " root INTEGER NOT NULL, path TEXT NOT NULL, path_fold TEXT NOT NULL,"
    " name TEXT NOT NULL, name_fold TEXT NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL,"
    " PRIMARY KEY (root, path_fold, name_fold));";

bool nonEmptyFile(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) > 0 &&
           !ec;
}

// What SQLite itself says once the file is open. Errors that mean "not a database" make
// the file broken; a lock held elsewhere makes it busy; everything else (I/O, permissions)
// only makes it unopenable now.
FileVerdict classifyError(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return FileVerdict::Broken;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return FileVerdict::Busy;
        default:
            return FileVerdict::Unopenable;
    }
}

// Gives an empty database our schema and mark; makes sure ours has its tables.
FileVerdict prepareStore(sqlite3* db, LockPath lock) {
    if (const int rc = Exec(db, "BEGIN IMMEDIATE", lock); rc != SQLITE_OK) {
        return classifyError(rc);
    }
    std::int64_t applicationId = 0;
    std::int64_t objects = 0;
    int rc = ReadInteger(db, "PRAGMA application_id", applicationId);
    if (rc == SQLITE_OK) {
        rc = ReadInteger(db, "SELECT count(*) FROM sqlite_schema", objects);
    }
    FileVerdict verdict = FileVerdict::Ours;
    if (rc != SQLITE_OK) {
        verdict = classifyError(rc);
    } else if (applicationId != kSettingsApplicationId && objects > 0) {
        verdict = FileVerdict::Foreign;
    } else {
        const std::string mark =
            "PRAGMA application_id = " + std::to_string(kSettingsApplicationId);
        rc = Exec(db, kCreateSchema);
        if (rc == SQLITE_OK) {
            rc = Exec(db, mark.c_str());
        }
        if (rc != SQLITE_OK) {
            verdict = classifyError(rc);
        }
    }
    if (verdict == FileVerdict::Ours) {
        rc = Exec(db, "COMMIT");
        if (rc == SQLITE_OK) {
            return verdict;
        }
        verdict = classifyError(rc);
    }
    Exec(db, "ROLLBACK");
    return verdict;
}

bool schemaPresent(sqlite3* db, LockPath lock) {
    std::int64_t tables = 0;
    return ReadInteger(db,
                       "SELECT count(*) FROM sqlite_schema WHERE type = 'table'"
                       " AND name IN ('keys', 'settings_values')",
                       tables, lock) == SQLITE_OK &&
           tables == 2;
}

// "ok" from one of SQLite's checks: Ours; anything it found: Broken.
FileVerdict runCheck(sqlite3* db, const char* pragma, LockPath lock) {
    Statement check(db, pragma, lock);
    const int rc = check.step();
    if (rc != SQLITE_ROW) {
        return classifyError(rc);
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    return text != nullptr && std::strcmp(text, "ok") == 0 ? FileVerdict::Ours
                                                           : FileVerdict::Broken;
}

// Every page, and every index against the rows it indexes: an index that lost or changed an
// entry would read a value that is there as missing, and a listing short. A torn or
// truncated store fails the page check too and is broken; intact pages under an index that
// disagrees with them make it damaged, and it is left as it is.
FileVerdict checkStore(sqlite3* db, LockPath lock) {
    const FileVerdict whole = runCheck(db, "PRAGMA integrity_check(1)", lock);
    if (whole != FileVerdict::Broken) {
        return whole;
    }
    const FileVerdict pages = runCheck(db, "PRAGMA quick_check(1)", lock);
    return pages == FileVerdict::Ours ? FileVerdict::Damaged : pages;
}

}  // namespace

FileIdentity Identify(const std::filesystem::path& file) {
    FileIdentity id;
#ifndef _WIN32
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        id = {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
              static_cast<std::uint64_t>(st.st_size)};
    }
#else
    std::error_code ec;
    id.exists = std::filesystem::exists(file, ec);
    id.size = id.exists ? std::filesystem::file_size(file, ec) : 0;
#endif
    return id;
}

std::filesystem::path JournalOf(const std::filesystem::path& file) {
    std::filesystem::path journal = file;
    journal += "-journal";
    return journal;
}

FileVerdict Inspect(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return FileVerdict::Fresh;
    }
    if (ec || status.type() != std::filesystem::file_type::regular) {
        return FileVerdict::Unopenable;
    }
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        return FileVerdict::Unopenable;
    }
    if (size == 0) {
        return FileVerdict::Fresh;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return FileVerdict::Unopenable;
    }
    std::array<unsigned char, 100> header{};
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    const bool whole = in.gcount() == static_cast<std::streamsize>(header.size());
    constexpr char kMagic[] = "SQLite format 3";  // with its terminator: 16 bytes
    const bool isDatabase = whole && std::memcmp(header.data(), kMagic, sizeof kMagic) == 0;
    if (!isDatabase) {
        // A torn header with a hot journal beside it is ours to recover, not to discard.
        return nonEmptyFile(JournalOf(file)) ? FileVerdict::Unclear : FileVerdict::Broken;
    }
    const std::uint32_t applicationId = (std::uint32_t{header[68]} << 24) |
                                        (std::uint32_t{header[69]} << 16) |
                                        (std::uint32_t{header[70]} << 8) | header[71];
    if (applicationId == static_cast<std::uint32_t>(kSettingsApplicationId)) {
        return FileVerdict::Ours;
    }
    return FileVerdict::Foreign;
}

std::filesystem::path AsidePath(const std::filesystem::path& file) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, ".broken-%Y%m%d-%H%M%S", &local);
    const std::string base = file.string() + stamp;
    std::filesystem::path candidate = base;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(candidate, ec) && n < 1000; ++n) {
        candidate = base + "-" + std::to_string(n);
    }
    return candidate;
}

Connection Connect(const std::filesystem::path& file, LockPath lock) {
    Connection result;
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(PathToUtf8(file).c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return result;
    }
    sqlite3_extended_result_codes(db, 1);
    if (lock.wait != nullptr) {
        lock.wait->install(db);
    }
    std::int64_t applicationId = 0;
    const int rc = ReadInteger(db, "PRAGMA application_id", applicationId, lock);
    FileVerdict verdict = FileVerdict::Ours;
    if (rc != SQLITE_OK) {
        verdict = classifyError(rc);
    } else if (Exec(db, "PRAGMA synchronous = FULL") != SQLITE_OK) {
        // A connection setting that writes nothing; set after the first read, whose wait for
        // a lock held elsewhere would otherwise be waited twice.
        verdict = FileVerdict::Unopenable;
    } else if (applicationId != kSettingsApplicationId || !schemaPresent(db, lock)) {
        // Only an empty database becomes ours; prepareStore checks that under a lock.
        verdict = prepareStore(db, lock);
    } else {
        verdict = checkStore(db, lock);
    }
    // Set only once the file is known to be ours: on a database in WAL mode this rewrites
    // the header. The mode is persistent only for WAL, so setting it every time brings ours
    // back to the rollback journal whatever switched it. Failing to switch (another
    // connection still uses WAL) is harmless: SQLite keeps WAL consistent too.
    if (verdict == FileVerdict::Ours) {
        Exec(db, "PRAGMA journal_mode = DELETE");
    } else {
        sqlite3_close(db);
        db = nullptr;
    }
    result.db = db;
    result.verdict = verdict;
    return result;
}

}  // namespace velomar::sqlite
