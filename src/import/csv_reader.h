#pragma once

// A CSV reader that pulls its bytes piece by piece, so a feed file of any size is read with
// the memory of one record. Quoted fields may hold commas, doubled quotes and line breaks;
// lines end with LF or CR LF (a CR alone is refused); a UTF-8 byte order mark at the start is
// skipped, one further on is refused. Every field must be UTF-8.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/file_reader.h"

namespace velomar {

class CsvReader {
  public:
    // A record longer than this, separators and quotes counted, is taken for a broken file
    // (an unclosed quote, say).
    static constexpr std::size_t kMaxRecordBytes = 1 << 20;

    CsvReader(std::unique_ptr<ByteSource> source, std::string fileName);

    // The next record; false at the end of the file or on an error (error() tells which).
    // Lines that hold nothing are skipped.
    bool next();
    std::size_t size() const { return m_ends.size(); }
    // Field i of the current record; empty when the record is shorter.
    std::string_view field(std::size_t i) const;
    // The 1-based line on which the current record starts.
    long line() const { return m_recordLine; }

    // "stops.txt:12: ..." when reading failed; empty at a clean end.
    const std::string& error() const { return m_error; }
    const std::string& fileName() const { return m_fileName; }

  private:
    enum class State { FieldStart, Plain, Quoted, QuoteInQuoted };

    bool fill();
    bool inQuotes(char c, State& state);
    bool fail(long line, std::string_view text);
    bool readFailed();
    bool countByte(bool quoted);
    bool lineEndAfterCr();
    bool finishRecord();

    std::unique_ptr<ByteSource> m_source;
    std::string m_fileName;
    std::vector<char> m_buffer;
    std::size_t m_at = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_started = false;
    long m_line = 1;
    long m_recordLine = 0;
    std::size_t m_recordBytes = 0;      // of the record so far, separators included
    std::string m_record;               // the fields' bytes, one after another
    std::vector<std::uint32_t> m_ends;  // where each field ends in m_record (below 1 MiB)
    std::string m_error;
};

// A CSV file with a header row: fields looked up by column name.
class CsvTable {
  public:
    CsvTable(std::unique_ptr<ByteSource> source, std::string fileName);

    // Reads the header; false (error set) when the file is empty, unreadable or lacks one of
    // the `required` columns.
    bool start(const std::vector<std::string_view>& required);
    // Column index of a name, or nothing when the header lacks it.
    std::optional<std::size_t> column(std::string_view name) const;

    // The next record that holds anything but blanks.
    bool next();
    std::string_view field(std::optional<std::size_t> column) const {
        return column ? m_reader.field(*column) : std::string_view();
    }
    long line() const { return m_reader.line(); }
    const std::string& error() const { return m_error.empty() ? m_reader.error() : m_error; }
    const std::string& fileName() const { return m_reader.fileName(); }
    // "trips.txt:12: TEXT" for the current record.
    std::string where(std::string_view text) const;

  private:
    CsvReader m_reader;
    std::vector<std::string> m_header;
    std::string m_error;
};

// Blanks (spaces, tabs, no-break and ideographic spaces) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace velomar
