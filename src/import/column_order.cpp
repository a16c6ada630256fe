#include "import/column_order.h"

#include <algorithm>

#include "import/network_model.h"

namespace velomar {

namespace {

// Row position of a call in a sheet: Up sheets list the route backwards.
int PositionIn(RouteCode file, const TrainCall& call) {
    const RouteSlots& route = SlotsOfRoute(file.route());
    const int slot = route.slotOf[static_cast<std::size_t>(call.station)];
    return file.direction() == Direction::Down ? slot
                                               : static_cast<int>(route.slots.size()) - 1 - slot;
}

// Negative when `a` is earlier than `b` at the first row both are written in, positive when
// later, 0 when they share no row or pass it at the same minute.
int TimeOrderAtFirstSharedRow(RouteCode file, const std::vector<ImportTrain>& trains,
                              const FileColumn& a, const FileColumn& b) {
    const auto& callsA = trains[static_cast<std::size_t>(a.train)].calls;
    const auto& callsB = trains[static_cast<std::size_t>(b.train)].calls;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.calls.size() && j < b.calls.size()) {
        const TrainCall& x = callsA[static_cast<std::size_t>(a.calls[i])];
        const TrainCall& y = callsB[static_cast<std::size_t>(b.calls[j])];
        const int px = PositionIn(file, x);
        const int py = PositionIn(file, y);
        if (px == py) {
            return x.departure - y.departure;
        }
        (px < py ? i : j) += 1;
    }
    return 0;
}

}  // namespace

// Each train's departure at its first row less the quickest running time the file's trains
// show from the first row to that one: the order the trains would pass the first row in.
void SortColumns(RouteCode file, const std::vector<ImportTrain>& trains,
                 std::vector<FileColumn>& columns, std::size_t fixed) {
    const std::size_t rows = SlotsOfRoute(file.route()).slots.size();
    std::vector<std::vector<std::pair<int, int>>> into(rows);  // (from position, minutes)
    for (const FileColumn& column : columns) {
        const auto& calls = trains[static_cast<std::size_t>(column.train)].calls;
        for (std::size_t k = 1; k < column.calls.size(); ++k) {
            const TrainCall& a = calls[static_cast<std::size_t>(column.calls[k - 1])];
            const TrainCall& b = calls[static_cast<std::size_t>(column.calls[k])];
            into[static_cast<std::size_t>(PositionIn(file, b))].emplace_back(
                PositionIn(file, a), b.departure - a.departure);
        }
    }
    std::vector<int> offset(rows, 0);
    for (std::size_t p = 1; p < rows; ++p) {
        offset[p] = offset[p - 1];
        std::vector<int> values;
        for (const auto& [from, minutes] : into[p]) {
            values.push_back(offset[static_cast<std::size_t>(from)] + minutes);
        }
        if (!values.empty()) {
            std::nth_element(values.begin(),
                             values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                             values.end());
            offset[p] = values[values.size() / 2];
        }
    }
    auto key = [&](const FileColumn& column) {
        const ImportTrain& train = trains[static_cast<std::size_t>(column.train)];
        const TrainCall& first = train.calls[static_cast<std::size_t>(column.calls.front())];
        return std::pair(
            first.departure - offset[static_cast<std::size_t>(PositionIn(file, first))],
            train.number);
    };
    std::stable_sort(columns.begin() + static_cast<std::ptrdiff_t>(fixed), columns.end(),
                     [&](const FileColumn& a, const FileColumn& b) { return key(a) < key(b); });
    // The estimate is rough where trains start at different rows; where two neighbours share
    // a station, the earlier one there comes first.
    for (std::size_t i = fixed + 1; i < columns.size(); ++i) {
        for (std::size_t j = i; j > fixed; --j) {
            const auto order = TimeOrderAtFirstSharedRow(file, trains, columns[j - 1], columns[j]);
            if (order <= 0) {
                break;
            }
            std::swap(columns[j - 1], columns[j]);
        }
    }
}

}  // namespace velomar
