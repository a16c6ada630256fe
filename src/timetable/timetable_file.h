#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "timetable/file_reader.h"

namespace velomar {

class MessageSink;
class TimetableGrid;

enum class Direction { Up = 0, Down = 1 };

// Names one timetable file: r for the Up file of route r, 100 + r for its Down file, -1 none.
class RouteCode {
  public:
    static constexpr int kNone = -1;

    constexpr RouteCode() = default;
    constexpr explicit RouteCode(int value) : m_value(value) {}
    static constexpr RouteCode of(int route, Direction direction) {
        return RouteCode(direction == Direction::Up ? route : 100 + route);
    }

    constexpr int value() const { return m_value; }
    constexpr bool names_file() const {
        return (m_value >= 0 && m_value <= 31) || (m_value >= 100 && m_value <= 131);
    }
    // Only meaningful when names_file().
    constexpr int route() const { return m_value >= 100 ? m_value - 100 : m_value; }
    constexpr Direction direction() const {
        return m_value >= 100 ? Direction::Down : Direction::Up;
    }
    friend constexpr bool operator==(RouteCode, RouteCode) = default;

  private:
    int m_value = kNone;
};

// "UpData_05.txt" / "DownData_05.txt".
std::string TimetableFileName(int route, Direction direction);

// The folder that holds TimeData/; the program's own directory unless told otherwise.
class TimetableDirectory {
  public:
    TimetableDirectory(const FileReader& reader, std::filesystem::path baseDirectory)
        : m_reader(reader), m_base(std::move(baseDirectory)) {}

    std::filesystem::path pathOf(int route, Direction direction) const;
    // The file's characters as the reader sees them, or nothing when it cannot be opened.
    std::optional<std::u16string> open(int route, Direction direction) const;
    const std::filesystem::path& baseDirectory() const { return m_base; }

  private:
    const FileReader& m_reader;
    std::filesystem::path m_base;
};

// A screen's slot for the file that is open for reading; empty means none.
using CurrentTimetableFile = std::optional<std::u16string>;

// Fails only for a route index outside 0-31 (with a message); a file that cannot be opened
// leaves the slot empty and is reported by the load.
bool OpenTimetableFile(const TimetableDirectory& directory, int route, Direction direction,
                       CurrentTimetableFile& current, MessageSink& messages);

// Resets the grid, reads the current file into it and closes it.
bool LoadTimetableGrid(CurrentTimetableFile& current, TimetableGrid& grid, MessageSink& messages);

// The character reader behind LoadTimetableGrid, for text already decoded.
void ReadTimetableText(std::u16string_view text, TimetableGrid& grid);

}  // namespace velomar
