#include "timetable/timetable_file.h"

#include <cstdio>

#include "platform/message_sink.h"
#include "timetable/text_decoding.h"
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

std::optional<std::u16string> TimetableDirectory::open(int route, Direction direction) const {
    auto bytes = m_reader.readAll(pathOf(route, direction));
    if (!bytes) {
        return std::nullopt;
    }
    return DecodeTimetableText(*bytes);
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
        TimetableTextReader(grid).read(*current.text());
    }
    current.reset();
    return true;
}

void ReadTimetableText(std::u16string_view text, TimetableGrid& grid) {
    int row = 0;
    int column = 0;
    char16_t buffer[kCellLength];
    int length = 0;
    bool afterData = false;
    bool skipNext = false;

    // Stores the cell once four characters are collected. Rows and columns beyond the grid
    // are read but not stored, so an oversized file cannot write outside it.
    auto append = [&](char16_t ch) {
        buffer[length++] = ch;
        if (length == kCellLength) {
            if (row < kGridRows && column < kGridColumns) {
                grid.setCell(row, column, {buffer, kCellLength});
            }
            if (column < kGridColumns) {
                ++column;
            }
            length = 0;
        }
    };

    std::size_t i = 0;
    // The end of the text acts as the end mark "=".
    while (i < text.size()) {
        char16_t ch = text[i++];
        if (skipNext) {
            if (i >= text.size()) {
                break;
            }
            ch = text[i++];
            skipNext = false;
        }
        if (ch == u'=') {
            break;
        }
        if (ch == u'\t') {
            if (!afterData) {
                // An empty cell. After one to three characters of an unfinished cell this
                // completes that cell and the rest of the "9999" begins the next one.
                for (char16_t nine : kNoTime) {
                    append(nine);
                }
            } else {
                afterData = false;
            }
            continue;
        }
        if (ch == u'/') {
            if (row < kGridRows) {
                ++row;
            }
            column = 0;
            length = 0;
            skipNext = true;
            continue;
        }
        afterData = true;
        append(ch);
    }
}

}  // namespace velomar
