#pragma once

// The three output formats of the commands that list records (search, detail): one writer
// each, so every command prints them alike.

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velomar::cli {

enum class OutputFormat { Table, Tsv, Json };

// "table", "tsv" or "json".
std::optional<OutputFormat> ParseOutputFormat(std::string_view text);

// Which formats show a field, and under which name.
struct OutputColumn {
    std::u16string_view header;  // the table's heading; empty: not in the table
    std::string_view jsonKey;    // empty: not in JSON
    bool inTsv = false;
};

// A field's text (as tables and TSV show it) and how JSON writes it.
struct OutputValue {
    enum class Json { Text, Number, Null };
    std::u16string text;
    Json json = Json::Text;
};
using OutputRecord = std::vector<OutputValue>;  // one value per column, in column order

// Table: the headings and aligned columns, nothing at all without records (the message on
// standard error says why). TSV: one TAB-separated line per record. JSON: an array with one
// object per line.
void WriteRecords(std::ostream& out, OutputFormat format, std::span<const OutputColumn> columns,
                  const std::vector<OutputRecord>& records);

}  // namespace velomar::cli
