#include "cli/record_writer.h"

#include <ostream>

#include "cli/json_text.h"
#include "cli/table_writer.h"
#include "platform/utf8.h"

namespace velomar::cli {

namespace {

void writeTable(std::ostream& out, std::span<const OutputColumn> columns,
                const std::vector<OutputRecord>& records) {
    if (records.empty()) {
        return;
    }
    std::vector<std::vector<std::u16string>> lines(1);
    for (const OutputColumn& column : columns) {
        if (!column.header.empty()) {
            lines[0].emplace_back(column.header);
        }
    }
    for (const OutputRecord& record : records) {
        std::vector<std::u16string>& line = lines.emplace_back();
        for (std::size_t i = 0; i < columns.size() && i < record.size(); ++i) {
            if (!columns[i].header.empty()) {
                line.push_back(record[i].text);
            }
        }
    }
    PrintTable(out, lines);
}

void writeTsv(std::ostream& out, std::span<const OutputColumn> columns,
              const std::vector<OutputRecord>& records) {
    for (const OutputRecord& record : records) {
        const char* separator = "";
        for (std::size_t i = 0; i < columns.size() && i < record.size(); ++i) {
            if (columns[i].inTsv) {
                // A TAB or line break inside a value must not make a field or a line of its own.
                out << separator << TerminalText(ToUtf8(record[i].text));
                separator = "\t";
            }
        }
        out << '\n';
    }
}

std::string jsonValue(const OutputValue& value) {
    switch (value.json) {
        case OutputValue::Json::Number:
            return ToUtf8(value.text);
        case OutputValue::Json::Null:
            return "null";
        case OutputValue::Json::Text:
            break;
    }
    return JsonString(value.text);
}

void writeJson(std::ostream& out, std::span<const OutputColumn> columns,
               const std::vector<OutputRecord>& records) {
    out << '[';
    const char* separator = "\n";
    for (const OutputRecord& record : records) {
        out << separator << "  {";
        const char* fieldSeparator = "";
        for (std::size_t i = 0; i < columns.size() && i < record.size(); ++i) {
            if (!columns[i].jsonKey.empty()) {
                out << fieldSeparator << '"' << columns[i].jsonKey
                    << "\": " << jsonValue(record[i]);
                fieldSeparator = ", ";
            }
        }
        out << '}';
        separator = ",\n";
    }
    out << (records.empty() ? "]\n" : "\n]\n");
}

}  // namespace

std::optional<OutputFormat> ParseOutputFormat(std::string_view text) {
    if (text == "table") {
        return OutputFormat::Table;
    }
    if (text == "tsv") {
        return OutputFormat::Tsv;
    }
    if (text == "json") {
        return OutputFormat::Json;
    }
    return std::nullopt;
}

void WriteRecords(std::ostream& out, OutputFormat format, std::span<const OutputColumn> columns,
                  const std::vector<OutputRecord>& records) {
    switch (format) {
        case OutputFormat::Table:
            writeTable(out, columns, records);
            return;
        case OutputFormat::Tsv:
            writeTsv(out, columns, records);
            return;
        case OutputFormat::Json:
            writeJson(out, columns, records);
            return;
    }
}

}  // namespace velomar::cli
