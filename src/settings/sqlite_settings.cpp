#include "settings/sqlite_settings.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/utf8.h"
#include "settings/memory_settings.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace velomar {

namespace {

constexpr int kBusyTimeoutMs = 5000;

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

// One prepared statement for one call. Either prepared here and finalized at the end, or
// borrowed from the connection's cache and reset at the end; either way no lock outlives it.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
        }
    }
    // Preparing costs more than the lookups themselves, so keys reuse their statements.
    Statement(SqliteSettingsBackend& backend, const char* sql)
        : m_stmt(backend.cachedStatement(sql)), m_borrowed(true) {}
    ~Statement() {
        if (m_borrowed && m_stmt != nullptr) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        } else if (!m_borrowed) {
            sqlite3_finalize(m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }

    Statement& bind(int index, std::int64_t value) {
        m_bound = m_bound && sqlite3_bind_int64(m_stmt, index, value) == SQLITE_OK;
        return *this;
    }
    Statement& bind(int index, std::u16string_view text) {
        m_bound = m_bound &&
                  sqlite3_bind_text16(m_stmt, index, text.data(), static_cast<int>(text.size() * 2),
                                      SQLITE_TRANSIENT) == SQLITE_OK;
        return *this;
    }
    Statement& bind(int index, std::span<const std::byte> data) {
        // A zero-length blob must still be a blob, not NULL.
        static const std::byte kEmpty{};
        const void* bytes = data.empty() ? &kEmpty : data.data();
        m_bound = m_bound && sqlite3_bind_blob(m_stmt, index, bytes, static_cast<int>(data.size()),
                                               SQLITE_TRANSIENT) == SQLITE_OK;
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() {
        if (!ok() || !m_bound) {
            return SQLITE_ERROR;
        }
        return sqlite3_step(m_stmt);
    }

  private:
    sqlite3_stmt* m_stmt = nullptr;
    bool m_borrowed = false;
    bool m_bound = true;
};

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::u16string columnText16(sqlite3_stmt* stmt, int column) {
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, column));
    const int bytes = sqlite3_column_bytes16(stmt, column);
    if (text == nullptr) {
        return {};
    }
    return std::u16string(text, static_cast<std::size_t>(bytes) / 2);
}

std::vector<std::byte> columnBlob(sqlite3_stmt* stmt, int column) {
    const auto* data = static_cast<const std::byte*>(sqlite3_column_blob(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    if (data == nullptr || size <= 0) {
        return {};
    }
    return std::vector<std::byte>(data, data + size);
}

// Runs `write` inside BEGIN IMMEDIATE unless the caller already holds a transaction, so a
// read followed by a write cannot interleave with another process's writer.
template <typename Write>
bool inWriteTransaction(const SqliteSettingsBackend& backend, Write&& write) {
    sqlite3* db = backend.db();
    if (backend.inTransaction()) {
        return write();
    }
    if (!exec(db, "BEGIN IMMEDIATE")) {
        return false;
    }
    if (!write()) {
        exec(db, "ROLLBACK");
        return false;
    }
    if (!exec(db, "COMMIT")) {
        exec(db, "ROLLBACK");
        return false;
    }
    return true;
}

class SqliteKey : public SettingsKey {
  public:
    SqliteKey(SqliteSettingsBackend& backend, SettingsRoot root, std::u16string_view path)
        : m_backend(backend),
          m_root(static_cast<std::int64_t>(root)),
          m_spelling(path),
          m_path(FoldNameCase(path)) {}

    QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
        Statement select(m_backend,
                         "SELECT type, data FROM settings_values"
                         " WHERE root = ?1 AND path_fold = ?2 AND name_fold = ?3");
        select.bind(1, m_root).bind(2, m_path).bind(3, FoldNameCase(name));
        const int rc = select.step();
        if (rc == SQLITE_DONE) {
            return {QueryStatus::NotFound, 0, 0};
        }
        if (rc != SQLITE_ROW) {
            return {QueryStatus::Failed, 0, 0};
        }
        const auto type = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 0));
        const std::vector<std::byte> data = columnBlob(select.get(), 1);
        if (data.size() > buffer.size()) {
            return {QueryStatus::MoreData, type, data.size()};
        }
        std::copy(data.begin(), data.end(), buffer.begin());
        return {QueryStatus::Ok, type, data.size()};
    }

    bool set(std::u16string_view name, std::uint32_t type,
             std::span<const std::byte> data) override {
        // One statement: it is atomic by itself. An existing value keeps its first spelling.
        Statement upsert(
            m_backend,
            "INSERT INTO settings_values (root, path, path_fold, name, name_fold, type, data)"
            " VALUES (?1, ?7, ?2, ?3, ?4, ?5, ?6)"
            " ON CONFLICT (root, path_fold, name_fold)"
            " DO UPDATE SET type = excluded.type, data = excluded.data");
        upsert.bind(1, m_root)
            .bind(2, m_path)
            .bind(3, name)
            .bind(4, FoldNameCase(name))
            .bind(5, static_cast<std::int64_t>(type))
            .bind(6, data)
            .bind(7, m_spelling);
        return upsert.step() == SQLITE_DONE;
    }

    bool remove(std::u16string_view name) override {
        Statement erase(m_backend,
                        "DELETE FROM settings_values"
                        " WHERE root = ?1 AND path_fold = ?2 AND name_fold = ?3");
        erase.bind(1, m_root).bind(2, m_path).bind(3, FoldNameCase(name));
        return erase.step() == SQLITE_DONE && sqlite3_changes(m_backend.db()) > 0;
    }

    std::vector<StoredValue> values() override {
        Statement select(m_backend,
                         "SELECT name, type, data FROM settings_values"
                         " WHERE root = ?1 AND path_fold = ?2 ORDER BY name_fold");
        select.bind(1, m_root).bind(2, m_path);
        std::vector<StoredValue> all;
        while (select.step() == SQLITE_ROW) {
            StoredValue value;
            value.name = columnText16(select.get(), 0);
            value.type = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 1));
            value.data = columnBlob(select.get(), 2);
            all.push_back(std::move(value));
        }
        return all;
    }

  private:
    SqliteSettingsBackend& m_backend;
    std::int64_t m_root;
    std::u16string m_spelling;  // as the caller wrote it, for people reading the file
    std::u16string m_path;
};

// ---- Opening: deciding what the file at the store's place is -------------------------

enum class FileVerdict { Fresh, Ours, Unclear, Foreign, Broken, Unopenable };

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identify(const std::filesystem::path& file) {
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

std::filesystem::path journalOf(const std::filesystem::path& file) {
    std::filesystem::path journal = file;
    journal += "-journal";
    return journal;
}

bool nonEmptyFile(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) > 0 &&
           !ec;
}

// Looks at the file's header only, so a database of another program is never opened by
// SQLite (which could write journals or roll one back into it).
FileVerdict inspect(const std::filesystem::path& file) {
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
        return nonEmptyFile(journalOf(file)) ? FileVerdict::Unclear : FileVerdict::Broken;
    }
    const std::uint32_t applicationId = (std::uint32_t{header[68]} << 24) |
                                        (std::uint32_t{header[69]} << 16) |
                                        (std::uint32_t{header[70]} << 8) | header[71];
    if (applicationId == static_cast<std::uint32_t>(kSettingsApplicationId)) {
        return FileVerdict::Ours;
    }
    return FileVerdict::Foreign;
}

std::filesystem::path asidePath(const std::filesystem::path& file) {
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

struct Connection {
    sqlite3* db = nullptr;
    FileVerdict verdict = FileVerdict::Unopenable;
};

// What SQLite itself says once the file is open. Errors that mean "not a database" make
// the file broken; everything else (busy, I/O, permissions) only makes it unopenable now.
FileVerdict classifyError(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return FileVerdict::Broken;
        default:
            return FileVerdict::Unopenable;
    }
}

// Reads one integer with a fixed query; the error code when it fails.
int readInteger(sqlite3* db, const char* sql, std::int64_t& value) {
    Statement statement(db, sql);
    if (!statement.ok()) {
        return sqlite3_errcode(db) == SQLITE_OK ? SQLITE_ERROR : sqlite3_extended_errcode(db);
    }
    const int rc = statement.step();
    if (rc != SQLITE_ROW) {
        return rc == SQLITE_DONE ? SQLITE_ERROR : sqlite3_extended_errcode(db);
    }
    value = sqlite3_column_int64(statement.get(), 0);
    return SQLITE_OK;
}

// Gives an empty database our schema and mark; makes sure ours has its tables.
FileVerdict prepareStore(sqlite3* db) {
    if (!exec(db, "BEGIN IMMEDIATE")) {
        return classifyError(sqlite3_extended_errcode(db));
    }
    std::int64_t applicationId = 0;
    std::int64_t objects = 0;
    int rc = readInteger(db, "PRAGMA application_id", applicationId);
    if (rc == SQLITE_OK) {
        rc = readInteger(db, "SELECT count(*) FROM sqlite_schema", objects);
    }
    FileVerdict verdict = FileVerdict::Ours;
    if (rc != SQLITE_OK) {
        verdict = classifyError(rc);
    } else if (applicationId != kSettingsApplicationId && objects > 0) {
        verdict = FileVerdict::Foreign;
    } else if (!exec(db, kCreateSchema) ||
               !exec(
                   db,
                   ("PRAGMA application_id = " + std::to_string(kSettingsApplicationId)).c_str())) {
        verdict = classifyError(sqlite3_extended_errcode(db));
    }
    if (verdict != FileVerdict::Ours) {
        exec(db, "ROLLBACK");
        return verdict;
    }
    if (!exec(db, "COMMIT")) {
        verdict = classifyError(sqlite3_extended_errcode(db));
        exec(db, "ROLLBACK");
    }
    return verdict;
}

bool schemaPresent(sqlite3* db) {
    std::int64_t tables = 0;
    return readInteger(db,
                       "SELECT count(*) FROM sqlite_schema WHERE type = 'table'"
                       " AND name IN ('keys', 'settings_values')",
                       tables) == SQLITE_OK &&
           tables == 2;
}

// A torn or truncated store of ours shows here; a busy one is only unopenable for now.
FileVerdict quickCheck(sqlite3* db) {
    Statement check(db, "PRAGMA quick_check");
    const int rc = check.step();
    if (rc != SQLITE_ROW) {
        return classifyError(rc == SQLITE_ERROR ? sqlite3_extended_errcode(db) : rc);
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    return text != nullptr && std::strcmp(text, "ok") == 0 ? FileVerdict::Ours
                                                           : FileVerdict::Broken;
}

// Opens the connection and checks the database through SQLite. Foreign and broken files
// are closed again before anything is written to them.
Connection connect(const std::filesystem::path& file) {
    Connection result;
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(PathToUtf8(file).c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return result;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // A connection setting; it writes nothing to the file.
    exec(db, "PRAGMA synchronous = FULL");

    std::int64_t applicationId = 0;
    const int rc = readInteger(db, "PRAGMA application_id", applicationId);
    FileVerdict verdict = FileVerdict::Ours;
    if (rc != SQLITE_OK) {
        verdict = classifyError(rc);
    } else if (applicationId != kSettingsApplicationId || !schemaPresent(db)) {
        // Only an empty database becomes ours; prepareStore checks that under a lock.
        verdict = prepareStore(db);
    } else {
        verdict = quickCheck(db);
    }
    // Set only once the file is known to be ours: on a database in WAL mode this rewrites
    // the header. The mode is persistent only for WAL, so setting it every time brings ours
    // back to the rollback journal whatever switched it. Failing to switch (another
    // connection still uses WAL) is harmless: SQLite keeps WAL consistent too.
    if (verdict == FileVerdict::Ours) {
        exec(db, "PRAGMA journal_mode = DELETE");
    }
    if (verdict != FileVerdict::Ours) {
        sqlite3_close(db);
        db = nullptr;
    }
    result.db = db;
    result.verdict = verdict;
    return result;
}

}  // namespace

std::unique_ptr<SqliteSettingsBackend> SqliteSettingsBackend::Open(
    const std::filesystem::path& file, SettingsOpenReport* report) {
    SettingsOpenReport local;
    SettingsOpenReport& out = report != nullptr ? *report : local;
    out = {};
    std::unique_ptr<SqliteSettingsBackend> backend(new SqliteSettingsBackend(file));
    if (file.empty()) {
        return backend;
    }
    std::error_code ec;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec) {
            return backend;
        }
    }
    // A second round follows a move aside, or a file that changed under our feet.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const FileIdentity before = identify(file);
        FileVerdict verdict = inspect(file);
        Connection connection;
        if (verdict == FileVerdict::Fresh || verdict == FileVerdict::Ours ||
            verdict == FileVerdict::Unclear) {
            connection = connect(file);
            verdict = connection.verdict;
        }
        switch (verdict) {
            case FileVerdict::Ours:
                backend->m_db = connection.db;
                out.opened = true;
                return backend;
            case FileVerdict::Foreign:
                out.foreignDatabase = true;
                return backend;
            case FileVerdict::Broken: {
                // Another process may have replaced the file meanwhile; never move that.
                if (identify(file) != before) {
                    continue;
                }
                const std::filesystem::path aside = asidePath(file);
                std::filesystem::rename(file, aside, ec);
                if (ec) {
                    return backend;
                }
                // A stale journal must not be rolled back into the fresh store.
                if (std::filesystem::exists(journalOf(file), ec)) {
                    std::filesystem::rename(journalOf(file), journalOf(aside), ec);
                }
                out.movedAside = true;
                out.movedTo = aside;
                continue;
            }
            default:
                return backend;
        }
    }
    return backend;
}

SqliteSettingsBackend::~SqliteSettingsBackend() {
    if (m_inTransaction) {
        rollbackTransaction();
    }
    for (const auto& [sql, statement] : m_statements) {
        sqlite3_finalize(statement);
    }
    sqlite3_close(m_db);
}

sqlite3_stmt* SqliteSettingsBackend::cachedStatement(const char* sql) {
    if (m_db == nullptr) {
        return nullptr;
    }
    for (const auto& [known, statement] : m_statements) {
        if (known == sql) {
            return statement;
        }
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    m_statements.emplace_back(sql, statement);
    return statement;
}

std::unique_ptr<SettingsKey> SqliteSettingsBackend::openKey(SettingsRoot root,
                                                            std::u16string_view path,
                                                            OpenMode mode) {
    if (m_db == nullptr) {
        return nullptr;
    }
    const auto rootValue = static_cast<std::int64_t>(root);
    std::u16string folded = FoldNameCase(path);
    const auto keyExists = [&](bool& exists) {
        Statement select(*this, "SELECT 1 FROM keys WHERE root = ?1 AND path_fold = ?2");
        select.bind(1, rootValue).bind(2, folded);
        const int rc = select.step();
        exists = rc == SQLITE_ROW;
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    };
    bool exists = false;
    if (!keyExists(exists)) {
        return nullptr;
    }
    if (!exists) {
        if (mode == OpenMode::Existing) {
            return nullptr;
        }
        const bool created = inWriteTransaction(*this, [&] {
            Statement insert(*this,
                             "INSERT OR IGNORE INTO keys (root, path, path_fold)"
                             " VALUES (?1, ?2, ?3)");
            insert.bind(1, rootValue).bind(2, path).bind(3, folded);
            return insert.step() == SQLITE_DONE;
        });
        if (!created) {
            return nullptr;
        }
    }
    return std::make_unique<SqliteKey>(*this, root, path);
}

bool SqliteSettingsBackend::beginTransaction() {
    if (m_db == nullptr || m_inTransaction) {
        return false;
    }
    m_inTransaction = exec(m_db, "BEGIN IMMEDIATE");
    return m_inTransaction;
}

bool SqliteSettingsBackend::commitTransaction() {
    if (m_db == nullptr || !m_inTransaction) {
        return false;
    }
    m_inTransaction = false;
    if (exec(m_db, "COMMIT")) {
        return true;
    }
    // COMMIT can fail while readers hold the file past the busy timeout; do not leave the
    // transaction hanging open.
    exec(m_db, "ROLLBACK");
    return false;
}

void SqliteSettingsBackend::rollbackTransaction() {
    if (m_db != nullptr && m_inTransaction) {
        exec(m_db, "ROLLBACK");
    }
    m_inTransaction = false;
}

}  // namespace velomar
