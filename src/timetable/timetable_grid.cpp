#include "timetable/timetable_grid.h"

#include <algorithm>
#include <cassert>

namespace velomar {

namespace {
constexpr TimetableGrid::Cell kEmptyCell = {u'9', u'9', u'9', u'9'};
}

void TimetableGrid::reset() {
    m_cells.fill(kEmptyCell);
}

void TimetableGrid::setCell(int row, int column, std::u16string_view text) {
    assert(row >= 0 && row < kGridRows && column >= 0 && column < kGridColumns);
    assert(text.size() == kCellLength);
    std::copy_n(text.begin(), kCellLength, m_cells[index(row, column)].begin());
}

TimetableGrid& SharedTimetableGrid() {
    static TimetableGrid grid;
    return grid;
}

}  // namespace velomar
