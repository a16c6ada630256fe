#pragma once

// The order of the trains in a sheet: by their departure at its first station, as far as
// the trains' own running times tell it, and where two neighbours share a station the earlier
// one there first, so that the search, which offers only the first trains of a file in column
// order, meets them in time order.

#include <cstddef>
#include <vector>

#include "import/placement.h"

namespace velomar {

// Sorts columns[fixed..]; the first `fixed` columns keep their places.
void SortColumns(RouteCode sheet, const std::vector<ImportTrain>& trains,
                 std::vector<FileColumn>& columns, std::size_t fixed);

}  // namespace velomar
