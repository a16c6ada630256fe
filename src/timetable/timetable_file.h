#pragma once

#include <concepts>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "timetable/file_reader.h"

namespace velomar {

class MessageSink;
class TimetableGrid;

enum class Direction { Up = 0, Down = 1 };

// Names one timetable file or sheet. A route direction's trains fill its file ("UpData_16.txt",
// sheet 1) and, beyond the file's 79 trains, further sheets beside it ("UpData_16.2.txt",
// sheet 2, ...). The value is r for the Up file of route r and 100 + r for its Down file, and
// 1000 more for each sheet after the first: 1016 is "UpData_16.2.txt", 2116
// "DownData_16.3.txt". -1 names no file.
class RouteCode {
  public:
    static constexpr int kNone = -1;
    static constexpr int kMaxSheets = 999;

    constexpr RouteCode() = default;
    constexpr explicit RouteCode(int value) : m_value(value) {}
    static constexpr RouteCode of(int route, Direction direction, int sheet = 1) {
        return RouteCode((sheet - 1) * 1000 + (direction == Direction::Up ? route : 100 + route));
    }

    constexpr int value() const { return m_value; }
    constexpr bool names_file() const {
        const int file = m_value % 1000;
        return m_value >= 0 && m_value / 1000 < kMaxSheets &&
               (file <= 31 || (file >= 100 && file <= 131));
    }
    // Only meaningful when names_file().
    constexpr int route() const {
        return m_value % 1000 >= 100 ? m_value % 1000 - 100 : m_value % 1000;
    }
    constexpr Direction direction() const {
        return m_value % 1000 >= 100 ? Direction::Down : Direction::Up;
    }
    constexpr int sheet() const { return m_value / 1000 + 1; }
    // The route direction's file itself (sheet 1).
    constexpr RouteCode firstSheet() const { return RouteCode(m_value % 1000); }
    friend constexpr bool operator==(RouteCode, RouteCode) = default;
    friend constexpr auto operator<=>(RouteCode, RouteCode) = default;

  private:
    int m_value = kNone;
};

// "UpData_05.txt" / "DownData_05.txt" for sheet 1, "UpData_05.2.txt" for sheet 2 and so on.
std::string TimetableFileName(RouteCode code);
// The sheet a file name names, for names TimetableFileName gives; nothing for any other.
std::optional<RouteCode> RouteCodeOfFileName(std::string_view name);

// "UpData_05.txt" / "DownData_05.txt".
std::string TimetableFileName(int route, Direction direction);

// The folder that holds TimeData/; the program's own directory unless told otherwise.
class TimetableDirectory {
  public:
    TimetableDirectory(const FileReader& reader, std::filesystem::path baseDirectory)
        : m_reader(reader), m_base(std::move(baseDirectory)), m_timeData(m_base / "TimeData") {}

    std::filesystem::path pathOf(int route, Direction direction) const;
    std::filesystem::path pathOf(RouteCode sheet) const;
    // The file opened for reading in pieces, or nothing when it cannot be opened.
    std::unique_ptr<ByteSource> openSource(int route, Direction direction) const;
    std::unique_ptr<ByteSource> openSource(RouteCode sheet) const;
    // The sheets of a route direction in reading order: its file (always listed, so that a
    // missing file is reported where it is read), then sheets 2, 3, ... as long as they exist.
    std::vector<RouteCode> sheets(int route, Direction direction) const;
    std::vector<RouteCode> sheets(RouteCode file) const {
        return sheets(file.route(), file.direction());
    }
    // The sheets of each of the files (route directions), file by file in the order given.
    std::vector<RouteCode> sheetsOf(const std::vector<RouteCode>& files) const;
    const FileReader& reader() const { return m_reader; }
    const std::filesystem::path& baseDirectory() const { return m_base; }

  private:
    const FileReader& m_reader;
    std::filesystem::path m_base;
    std::filesystem::path m_timeData;  // built once: every search builds paths in it
};

// A screen's slot for the file that is open for reading; empty means none. The file is either
// open on its source (OpenTimetableFile) or already decoded text (tests).
class CurrentTimetableFile {
  public:
    CurrentTimetableFile() = default;
    template <class Text>
    requires std::constructible_from<std::optional<std::u16string>, Text &&> CurrentTimetableFile(
        Text&& text)
        : m_text(std::forward<Text>(text)) {}
    explicit CurrentTimetableFile(std::unique_ptr<ByteSource> source)
        : m_source(std::move(source)) {}

    template <class Text>
    requires std::constructible_from<std::optional<std::u16string>, Text &&> CurrentTimetableFile&
    operator=(Text&& text) {
        m_source.reset();
        m_text = std::forward<Text>(text);
        return *this;
    }

    bool has_value() const { return m_source != nullptr || m_text.has_value(); }
    explicit operator bool() const { return has_value(); }
    void reset() {
        m_source.reset();
        m_text.reset();
    }

    ByteSource* source() const { return m_source.get(); }
    const std::optional<std::u16string>& text() const { return m_text; }

    friend bool operator==(const CurrentTimetableFile& file,
                           const std::optional<std::u16string>& text) {
        return file.m_source == nullptr && file.m_text == text;
    }

  private:
    std::unique_ptr<ByteSource> m_source;
    std::optional<std::u16string> m_text;
};

// Fails only for a route index outside 0-31 (with a message); a file that cannot be opened
// leaves the slot empty and is reported by the load.
bool OpenTimetableFile(const TimetableDirectory& directory, int route, Direction direction,
                       CurrentTimetableFile& current, MessageSink& messages);
// The same for any sheet of a route direction.
bool OpenTimetableFile(const TimetableDirectory& directory, RouteCode sheet,
                       CurrentTimetableFile& current, MessageSink& messages);

// Resets the grid, reads the current file into it and closes it. A file that cannot be read
// to its end leaves the grid reset and shows "Read Data File Error", as one that cannot be
// opened does.
bool LoadTimetableGrid(CurrentTimetableFile& current, TimetableGrid& grid, MessageSink& messages);

enum class FileLoad { Loaded, Missing, ReadFailed };

// The same load without messages, for tools that report on their own: opens the file of
// the directory, resets the grid and reads the file into it (after a failure the grid is
// reset).
FileLoad LoadTimetableFile(const TimetableDirectory& directory, int route, Direction direction,
                           TimetableGrid& grid);
FileLoad LoadTimetableFile(const TimetableDirectory& directory, RouteCode sheet,
                           TimetableGrid& grid);

}  // namespace velomar
