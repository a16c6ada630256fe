#pragma once

// Tiny timetables in memory, written as whitespace-separated tables: the first column holds
// "TYPE" (train codes row), "TRNO" (train numbers row) or a station code; every other column is
// one train. Each table turns into the file format (cells ended by TAB, lines by "/" plus a line
// break, "=" at the end).

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "platform/message_sink.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar::testing_support {

inline std::string TimetableText(std::string_view table) {
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
            out += "/\n";
        }
    }
    out += "=";
    return out;
}

struct TimetableWorld {
    MemoryFileReader reader;
    TimetableDirectory directory{reader, "/fixture"};
    TimetableGrid grid;
    RecordingMessageSink messages;
    MemorySettingsBackend settings;

    void addFile(int route, Direction direction, std::string_view table) {
        reader.add(directory.pathOf(route, direction), TimetableText(table));
    }
    void setNumber(std::u16string_view name, std::uint32_t value) {
        WriteNumberSetting(settings, kSettingsRoot, kSettingsKeyPath, name, value);
    }
    std::uint32_t number(std::u16string_view name) {
        std::uint32_t value = 0;
        ReadNumberSetting(settings, kSettingsRoot, kSettingsKeyPath, name, &value);
        return value;
    }
    std::u16string text(std::u16string_view name) {
        return ReadStationText(settings, name).value_or(u"<none>");
    }
};

}  // namespace velomar::testing_support
