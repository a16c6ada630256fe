#include "timetable/timetable_file.h"

#include <algorithm>
#include <cstdio>

#include "network/route_table.h"
#include "platform/message_sink.h"
#include "timetable/timetable_grid.h"
#include "timetable/timetable_reader.h"

namespace velomar {

std::string TimetableFileName(int route, Direction direction) {
    return TimetableFileName(RouteCode::of(route, direction));
}

std::string TimetableFileName(RouteCode code) {
    char name[32];
    const char* prefix = code.direction() == Direction::Up ? "UpData" : "DownData";
    if (code.sheet() == 1) {
        std::snprintf(name, sizeof name, "%s_%02d.txt", prefix, code.route());
    } else {
        std::snprintf(name, sizeof name, "%s_%02d.%d.txt", prefix, code.route(), code.sheet());
    }
    return name;
}

std::optional<RouteCode> RouteCodeOfFileName(std::string_view name) {
    Direction direction = Direction::Up;
    if (name.starts_with("UpData_")) {
        name.remove_prefix(7);
    } else if (name.starts_with("DownData_")) {
        name.remove_prefix(9);
        direction = Direction::Down;
    } else {
        return std::nullopt;
    }
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() < 6 || !digit(name[0]) || !digit(name[1]) || !name.ends_with(".txt")) {
        return std::nullopt;
    }
    const int route = (name[0] - '0') * 10 + (name[1] - '0');
    std::string_view sheetText = name.substr(2, name.size() - 6);
    int sheet = 1;
    if (!sheetText.empty()) {
        // ".2" to ".999", no leading zero: the one spelling TimetableFileName writes.
        if (sheetText.size() < 2 || sheetText.size() > 4 || sheetText[0] != '.' ||
            sheetText[1] == '0' || !std::all_of(sheetText.begin() + 1, sheetText.end(), digit)) {
            return std::nullopt;
        }
        sheet = 0;
        for (char c : sheetText.substr(1)) {
            sheet = sheet * 10 + (c - '0');
        }
        if (sheet < 2) {
            return std::nullopt;
        }
    }
    if (route >= kRouteCount) {
        return std::nullopt;
    }
    return RouteCode::of(route, direction, sheet);
}

std::filesystem::path TimetableDirectory::pathOf(int route, Direction direction) const {
    return pathOf(RouteCode::of(route, direction));
}

std::filesystem::path TimetableDirectory::pathOf(RouteCode sheet) const {
    return m_timeData / TimetableFileName(sheet);
}

std::unique_ptr<ByteSource> TimetableDirectory::openSource(int route, Direction direction) const {
    return m_reader.openSource(pathOf(route, direction));
}

std::unique_ptr<ByteSource> TimetableDirectory::openSource(RouteCode sheet) const {
    return m_reader.openSource(pathOf(sheet));
}

std::vector<RouteCode> TimetableDirectory::sheets(int route, Direction direction) const {
    std::vector<RouteCode> found{RouteCode::of(route, direction)};
    for (int sheet = 2; sheet <= RouteCode::kMaxSheets; ++sheet) {
        const RouteCode code = RouteCode::of(route, direction, sheet);
        if (!m_reader.exists(pathOf(code))) {
            break;
        }
        found.push_back(code);
    }
    return found;
}

std::vector<RouteCode> TimetableDirectory::sheetsOf(const std::vector<RouteCode>& files) const {
    std::vector<RouteCode> all;
    for (RouteCode file : files) {
        const std::vector<RouteCode> more = sheets(file);
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}

bool OpenTimetableFile(const TimetableDirectory& directory, int route, Direction direction,
                       CurrentTimetableFile& current, MessageSink& messages) {
    current.reset();
    if (route < 0 || route > 31) {
        messages.showMessage(direction == Direction::Up ? u"[UP] 데이터 파일이 없습니다."
                                                        : u"[DOWN] 데이터 파일이 없습니다.",
                             kInfoCaption);
        return false;
    }
    return OpenTimetableFile(directory, RouteCode::of(route, direction), current, messages);
}

bool OpenTimetableFile(const TimetableDirectory& directory, RouteCode sheet,
                       CurrentTimetableFile& current, MessageSink& messages) {
    current.reset();
    if (!sheet.names_file()) {
        messages.showMessage(sheet.value() % 1000 >= 100 ? u"[DOWN] 데이터 파일이 없습니다."
                                                         : u"[UP] 데이터 파일이 없습니다.",
                             kInfoCaption);
        return false;
    }
    if (auto source = directory.openSource(sheet)) {
        current = CurrentTimetableFile(std::move(source));
    }
    return true;
}

bool LoadTimetableGrid(CurrentTimetableFile& current, TimetableGrid& grid, MessageSink& messages) {
    grid.reset();
    if (!current) {
        messages.showMessage(u"Read Data File Error", kAppTitle);
        return false;
    }
    if (ByteSource* source = current.source()) {
        if (ReadTimetableSource(*source, grid) == SourceLoad::ReadFailed) {
            // As if the file could not be opened: its bytes never became a whole file.
            current.reset();
            grid.reset();
            messages.showMessage(u"Read Data File Error", kAppTitle);
            return false;
        }
    } else {
        TimetableTextReader(grid).take(*current.text());
    }
    current.reset();
    return true;
}

FileLoad LoadTimetableFile(const TimetableDirectory& directory, int route, Direction direction,
                           TimetableGrid& grid) {
    return LoadTimetableFile(directory, RouteCode::of(route, direction), grid);
}

FileLoad LoadTimetableFile(const TimetableDirectory& directory, RouteCode sheet,
                           TimetableGrid& grid) {
    grid.reset();
    const auto source = directory.openSource(sheet);
    if (!source) {
        return FileLoad::Missing;
    }
    if (ReadTimetableSource(*source, grid) == SourceLoad::ReadFailed) {
        grid.reset();
        return FileLoad::ReadFailed;
    }
    return FileLoad::Loaded;
}

}  // namespace velomar
