#pragma once

// Tiny timetables written as whitespace-separated tables: the first column holds "TYPE" (train
// codes row), "TRNO" (train numbers row) or a station code; every other column is one train.
// Each table turns into the file format: cells ended by TAB, lines by "/" plus the line end,
// "=" at the end.

#include <sstream>
#include <string>
#include <string_view>

namespace velomar::testing_support {

inline std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

inline std::string TimetableText(std::string_view table, std::string_view lineEnd = "\n") {
    std::istringstream lines{std::string(table)};
    std::string line;
    std::string out;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string cell;
        bool any = false;
        while (cells >> cell) {
            out += cell;
            out += '\t';
            any = true;
        }
        if (any) {
            out += '/';
            out += lineEnd;
        }
    }
    out += '=';
    return out;
}

}  // namespace velomar::testing_support
