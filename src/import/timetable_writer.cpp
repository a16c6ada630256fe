#include "import/timetable_writer.h"

#include "import/network_model.h"
#include "platform/utf8.h"
#include "timetable/service_time.h"

namespace velomar {

namespace {

struct Row {
    int slot;
    bool arrivalRow;  // the first of a station's two rows
};

std::vector<Row> RowsOf(RouteCode sheet) {
    const RouteSlots& route = SlotsOfRoute(sheet.route());
    std::vector<Row> rows;
    const int count = static_cast<int>(route.slots.size());
    const bool down = sheet.direction() == Direction::Down;
    for (int k = 0; k < count; ++k) {
        const int slot = down ? k : count - 1 - k;
        if (route.slots[static_cast<std::size_t>(slot)].rows == 2) {
            rows.push_back({slot, true});
        }
        rows.push_back({slot, false});
    }
    return rows;
}

}  // namespace

std::string RenderTimetableFile(RouteCode sheet, const std::vector<FileColumn>& columns,
                                const std::vector<ImportTrain>& trains) {
    const RouteSlots& route = SlotsOfRoute(sheet.route());
    const std::vector<Row> rows = RowsOf(sheet);
    // cells[row][column]
    std::vector<std::vector<std::u16string>> cells(
        rows.size(), std::vector<std::u16string>(columns.size(), u"9999"));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const ImportTrain& train = trains[static_cast<std::size_t>(columns[c].train)];
        for (const int index : columns[c].calls) {
            const TrainCall& call = train.calls[static_cast<std::size_t>(index)];
            const bool last = static_cast<std::size_t>(index) + 1 == train.calls.size();
            const int slot = route.slotOf[static_cast<std::size_t>(call.station)];
            for (std::size_t r = 0; r < rows.size(); ++r) {
                if (rows[r].slot != slot) {
                    continue;
                }
                const bool arrival =
                    rows[r].arrivalRow ||
                    (last && route.slots[static_cast<std::size_t>(slot)].rows == 1);
                cells[r][c] =
                    CellOfMinutes(arrival ? call.arrival : call.departure).value_or(u"9999");
            }
        }
    }
    std::string out = "TYPE\t";
    for (const FileColumn& column : columns) {
        out += ToUtf8(trains[static_cast<std::size_t>(column.train)].code) + "\t";
    }
    out += "/\r\nNUMB\t";
    for (const FileColumn& column : columns) {
        out += ToUtf8(trains[static_cast<std::size_t>(column.train)].number) + "\t";
    }
    out += "/\r\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out += ToUtf8(
            NetworkStations()[static_cast<std::size_t>(
                                  route.slots[static_cast<std::size_t>(rows[r].slot)].station)]
                .code);
        out += "\t";
        for (const std::u16string& cell : cells[r]) {
            out += ToUtf8(cell) + "\t";
        }
        out += "/\r\n";
    }
    return out + "=";
}

}  // namespace velomar
