#pragma once

// Real faults of an SQLite settings store, for tests on POSIX systems: damage that the
// store's quick check on opening does not see, and another program holding the store's lock.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace velomar::testing_support {

namespace store_faults_detail {

inline std::uint64_t Varint(const std::string& bytes, std::size_t& at) {
    std::uint64_t value = 0;
    for (int i = 0; i < 9; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[at++]);
        if (i == 8) {
            return (value << 8) | byte;
        }
        value = (value << 7) | (byte & 0x7F);
        if (byte < 0x80) {
            break;
        }
    }
    return value;
}

inline std::size_t SerialSize(std::uint64_t type) {
    constexpr std::size_t kFixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    return type < 10 ? kFixed[type] : static_cast<std::size_t>((type - 12) / 2);
}

inline unsigned Be16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(bytes[at])) << 8 |
           static_cast<std::uint8_t>(bytes[at + 1]);
}

}  // namespace store_faults_detail

// The store's bytes and where in them the values' lookup index lies, when it fits one leaf
// page (a few dozen values).
inline bool ReadValueIndexLeaf(const std::filesystem::path& file, std::string& bytes,
                               std::size_t& page) {
    using namespace store_faults_detail;
    sqlite3* db = nullptr;
    int root = 0;
    if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT rootpage FROM sqlite_schema"
                           " WHERE name = 'sqlite_autoindex_settings_values_1'",
                           -1, &stmt, nullptr);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            root = sqlite3_column_int(stmt, 0);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (root < 2 || bytes.size() < 100) {
        return false;
    }
    const std::size_t pageSize = Be16(bytes, 16) == 1 ? 65536 : Be16(bytes, 16);
    page = static_cast<std::size_t>(root - 1) * pageSize;
    return page + pageSize <= bytes.size() && bytes[page] == 0x0A;  // a single leaf page
}

// Points every entry but the first `keep` of the values' lookup index at rows that do not
// exist. Every page stays well-formed, so the quick check on opening passes, but a lookup
// through those entries, and a listing, meets "database disk image is malformed". Needs
// row numbers below 100.
inline bool CorruptValueIndex(const std::filesystem::path& file, int keep = 1) {
    using namespace store_faults_detail;
    std::string bytes;
    std::size_t page = 0;
    if (!ReadValueIndexLeaf(file, bytes, page)) {
        return false;
    }
    const unsigned cells = Be16(bytes, page + 3);
    for (unsigned k = static_cast<unsigned>(keep); k < cells; ++k) {
        std::size_t at = page + Be16(bytes, page + 8 + 2 * k);
        Varint(bytes, at);  // payload size
        const std::size_t record = at;
        const std::uint64_t headerSize = Varint(bytes, at);
        std::size_t values = record + headerSize;
        std::uint64_t type = 0;
        std::size_t typeAt = at;
        std::size_t before = 0;  // bytes of the values before the last one
        while (at < record + headerSize) {
            before += SerialSize(type);
            typeAt = at;
            type = Varint(bytes, at);
        }
        if (type == 9) {
            bytes[typeAt] = 8;  // row 1, kept in the type alone, becomes row 0
        } else if (type == 1) {
            bytes[values + before] = static_cast<char>(100 + k);
        } else {
            return false;  // the row number is not a small integer
        }
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    return true;
}

// Changes the key path of the index's last entry by one in its last byte: the entry keeps its
// place in the order, but leads to its row no more, so a lookup of that value misses it and
// a listing of the key skips it, with no error from SQLite. Only a check of the index
// against the table finds it.
inline bool HideLastIndexEntry(const std::filesystem::path& file) {
    using namespace store_faults_detail;
    std::string bytes;
    std::size_t page = 0;
    if (!ReadValueIndexLeaf(file, bytes, page)) {
        return false;
    }
    const unsigned cells = Be16(bytes, page + 3);
    std::size_t at = page + Be16(bytes, page + 8 + 2 * (cells - 1));
    Varint(bytes, at);  // payload size
    const std::size_t record = at;
    const std::uint64_t headerSize = Varint(bytes, at);
    const std::uint64_t rootType = Varint(bytes, at);
    const std::uint64_t pathType = Varint(bytes, at);
    if (pathType < 13 || pathType % 2 == 0) {
        return false;  // the key path is not a text
    }
    const std::size_t pathEnd = record + headerSize + SerialSize(rootType) + SerialSize(pathType);
    ++bytes[pathEnd - 1];
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    return true;
}

// Another program holding the store's lock: a child process, forked when made (before this
// process opens any connection, as SQLite requires), that takes the lock when told to and
// lets it go when told to.
class StoreLockHolder {
  public:
    // `begin` is "BEGIN IMMEDIATE" (others may still read) or "BEGIN EXCLUSIVE" (nobody may).
    StoreLockHolder(const std::filesystem::path& file, const char* begin) {
        if (::pipe(m_toChild) != 0 || ::pipe(m_toParent) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::_exit(child(file, begin));
        }
        ::close(m_toChild[0]);
        ::close(m_toParent[1]);
    }
    ~StoreLockHolder() { release(); }
    StoreLockHolder(const StoreLockHolder&) = delete;
    StoreLockHolder& operator=(const StoreLockHolder&) = delete;

    // Takes the lock; true once it is held.
    bool hold() {
        char byte = 1;
        return m_pid > 0 && ::write(m_toChild[1], &byte, 1) == 1 &&
               ::read(m_toParent[0], &byte, 1) == 1 && byte == 'L';
    }
    // Lets the lock go and waits for the other process to end.
    void release() {
        if (m_pid <= 0) {
            return;
        }
        // Told in so many words: a holder forked later keeps a copy of this pipe open.
        const char byte = 'R';
        [[maybe_unused]] const auto told = ::write(m_toChild[1], &byte, 1);
        ::close(m_toChild[1]);
        ::close(m_toParent[0]);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

  private:
    int child(const std::filesystem::path& file, const char* begin) {
        ::close(m_toChild[1]);
        ::close(m_toParent[0]);
        char byte = 0;
        if (::read(m_toChild[0], &byte, 1) != 1) {
            return 1;
        }
        sqlite3* db = nullptr;
        const bool held = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                          sqlite3_exec(db, begin, nullptr, nullptr, nullptr) == SQLITE_OK;
        const char answer = held ? 'L' : 'F';
        if (::write(m_toParent[1], &answer, 1) != 1) {
            return 1;
        }
        // Until the parent says so, or is gone.
        [[maybe_unused]] const auto told = ::read(m_toChild[0], &byte, 1);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return held ? 0 : 1;
    }

    pid_t m_pid = -1;
    int m_toChild[2] = {-1, -1};
    int m_toParent[2] = {-1, -1};
};

// Every stored value as a plain connection reads it, table first, so damage to the index
// does not hide any: name -> data as hex.
inline std::map<std::string, std::string> StoredRowsOf(const std::filesystem::path& file) {
    std::map<std::string, std::string> rows;
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT name, hex(data) FROM settings_values NOT INDEXED", -1, &stmt,
                       nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        rows[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))] =
            reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

}  // namespace velomar::testing_support
