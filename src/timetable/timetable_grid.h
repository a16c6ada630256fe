#pragma once

#include <array>
#include <cstring>
#include <string_view>

namespace velomar {

inline constexpr int kGridRows = 70;
inline constexpr int kGridColumns = 80;
inline constexpr int kCellLength = 4;
inline constexpr std::u16string_view kNoTime = u"9999";

// Row 0: train codes, row 1: train numbers, rows 2-69: a station code in column 0 and the
// trains' times in columns 1-79. Every cell is exactly four characters.
class TimetableGrid {
  public:
    using Cell = std::array<char16_t, kCellLength>;

    TimetableGrid() { reset(); }

    void reset();
    std::u16string_view cell(int row, int column) const {
        const Cell& c = m_cells[index(row, column)];
        return {c.data(), c.size()};
    }
    void setCell(int row, int column, std::u16string_view text);

    // One comparison of the whole storage (cells are plain characters without padding);
    // cell by cell it would be 5600 small ones.
    friend bool operator==(const TimetableGrid& a, const TimetableGrid& b) {
        return std::memcmp(a.m_cells.data(), b.m_cells.data(), sizeof a.m_cells) == 0;
    }

  private:
    static std::size_t index(int row, int column) {
        return static_cast<std::size_t>(row) * kGridColumns + static_cast<std::size_t>(column);
    }
    std::array<Cell, kGridRows * kGridColumns> m_cells;
    // Every cell outside rows [0, m_usedRows) x columns [0, m_usedColumns) holds "9999", so a
    // reset after a small file rewrites only what that file wrote.
    int m_usedRows = kGridRows;
    int m_usedColumns = kGridColumns;
};

}  // namespace velomar
