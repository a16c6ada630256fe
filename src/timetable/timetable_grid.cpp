#include "timetable/timetable_grid.h"

#include <algorithm>
#include <cassert>

namespace velomar {

namespace {
constexpr TimetableGrid::Cell kEmptyCell = {u'9', u'9', u'9', u'9'};
}

void TimetableGrid::reset() {
    for (int row = 0; row < m_usedRows; ++row) {
        std::fill_n(m_cells.begin() + static_cast<std::ptrdiff_t>(index(row, 0)), m_usedColumns,
                    kEmptyCell);
    }
    m_usedRows = 0;
    m_usedColumns = 0;
}

void TimetableGrid::setCell(int row, int column, std::u16string_view text) {
    assert(row >= 0 && row < kGridRows && column >= 0 && column < kGridColumns);
    assert(text.size() == kCellLength);
    std::copy_n(text.begin(), kCellLength, m_cells[index(row, column)].begin());
    m_usedRows = std::max(m_usedRows, row + 1);
    m_usedColumns = std::max(m_usedColumns, column + 1);
}

}  // namespace velomar
