#pragma once

// Reading back what the exporter wrote: an RFC 4180 CSV reader, timetable text from
// whitespace tables, and throw-away folders.

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "export/gtfs_export.h"
#include "support/timetable_text.h"

namespace velomar::testing_support {

using CsvRow = std::vector<std::string>;

// Quoted fields may hold commas, doubled quotes and line breaks; lines end with CR LF or LF.
inline std::vector<CsvRow> ParseCsv(std::string_view text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        } else if (c == '\n') {
            row.push_back(std::move(field));
            rows.push_back(std::move(row));
            field.clear();
            row.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

// A CSV file as records keyed by the header's field names.
struct CsvTable {
    CsvRow header;
    std::vector<std::map<std::string, std::string>> records;
};

inline CsvTable ParseCsvTable(std::string_view text) {
    CsvTable table;
    std::vector<CsvRow> rows = ParseCsv(text);
    if (rows.empty()) {
        return table;
    }
    table.header = rows.front();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::map<std::string, std::string> record;
        for (std::size_t i = 0; i < table.header.size() && i < rows[r].size(); ++i) {
            record[table.header[i]] = rows[r][i];
        }
        table.records.push_back(std::move(record));
    }
    return table;
}

inline const std::string* FeedFile(const GtfsFeed& feed, std::string_view name) {
    for (const GtfsFile& file : feed.files) {
        if (file.name == name) {
            return &file.content;
        }
    }
    return nullptr;
}

inline CsvTable FeedTable(const GtfsFeed& feed, std::string_view name) {
    const std::string* content = FeedFile(feed, name);
    return content ? ParseCsvTable(*content) : CsvTable{};
}

inline std::filesystem::path SourceDirectory() {
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".");
}

// A fresh folder under the system's temporary folder, removed again at the end of the scope.
class TempFolder {
  public:
    explicit TempFolder(std::string_view name) {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 (std::string(name) + "-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

}  // namespace velomar::testing_support
