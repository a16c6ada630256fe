#include "timetable/timetable_file.h"

#include <cstdio>

#include "platform/message_sink.h"
#include "timetable/timetable_grid.h"
#include "timetable/timetable_reader.h"

namespace velomar {

std::string TimetableFileName(int route, Direction direction) {
    char name[32];
    std::snprintf(name, sizeof name, "%s_%02d.txt",
                  direction == Direction::Up ? "UpData" : "DownData", route);
    return name;
}

std::filesystem::path TimetableDirectory::pathOf(int route, Direction direction) const {
    return m_base / "TimeData" / TimetableFileName(route, direction);
}

std::unique_ptr<ByteSource> TimetableDirectory::openSource(int route, Direction direction) const {
    return m_reader.openSource(pathOf(route, direction));
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
    if (auto source = directory.openSource(route, direction)) {
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
    grid.reset();
    const auto source = directory.openSource(route, direction);
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
