#pragma once

// Tiny timetables in memory (see support/timetable_text.h for how they are written) and the
// services a search needs around them.

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "platform/message_sink.h"
#include "search/result_list.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "support/timetable_text.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar::testing_support {

struct TimetableWorld {
    MemoryFileReader reader;
    TimetableDirectory directory{reader, "/fixture"};
    TimetableGrid grid;
    RecordingMessageSink messages;
    MemorySettingsBackend settings;
    bool squareDialogShown = false;  // the run's flag, for the screens built on this world

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

// 경의선, route 6, Down file: 문산(0401) -> 도라산(0403); one train an hour from 05:10 on,
// a few late ones and a last one after midnight.
inline constexpr std::string_view kHourlyRoute6 = R"(
TYPE  0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0002
TRNO  0101 0102 0103 0104 0105 0106 0107 0108 0109 0110 0111 0112 0113
0401  0510 0610 0710 0810 0910 1010 1110 1210 1310 2250 2330 2340 3010
0403  0540 0640 0740 0840 0940 1040 1140 1240 1340 2320 2359 3010 3040
)";

// The train numbers of the rows a list shows, in order.
inline std::vector<std::u16string> TrainNos(const std::vector<ResultRow>& rows) {
    std::vector<std::u16string> out;
    for (const ResultRow& row : rows) {
        out.push_back(row.trainNo);
    }
    return out;
}

}  // namespace velomar::testing_support
