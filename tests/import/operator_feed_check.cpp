// Checks an imported set against the trains a feed holds, as a traveller would meet them:
// for every pair of a train's calls that route selection serves, a sheet of a route
// direction it names holds the train with its times there, and the dates file says the
// column runs on exactly the train's dates.
//
//   operator_feed_check DATA_DIR EXPECTED.tsv
//
// EXPECTED.tsv: one train a line, "NUMBER<TAB>DAY,DAY,...<TAB>STATION ARRIVAL DEPARTURE;...",
// days YYYYMMDD, stations by their network name, times in minutes of the service day.
// Prints one line per problem and a summary; exit status 0 when there are none.
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "network/route_table.h"
#include "support/plain_timetable_reader.h"
#include "timetable/calendar_date.h"
#include "timetable/route_selection.h"
#include "timetable/service_dates.h"
#include "timetable/service_time.h"
#include "timetable/timetable_file.h"

namespace velomar {
namespace {

struct Call {
    std::u16string name;
    std::u16string code;
    int arrival;
    int departure;
};

struct Train {
    std::u16string number;
    std::set<int> days;
    std::vector<Call> calls;
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

std::optional<Train> ParseTrain(const std::string& line) {
    const auto fields = Split(line, '\t');
    if (fields.size() != 3) {
        return std::nullopt;
    }
    Train train{*FromUtf8(fields[0]), {}, {}};
    for (const std::string& day : Split(fields[1], ',')) {
        train.days.insert(GtfsDayNumber(day).value_or(-1));
    }
    for (const std::string& call : Split(fields[2], ';')) {
        std::istringstream in(call);
        std::string name;
        Call parsed{};
        in >> name >> parsed.arrival >> parsed.departure;
        parsed.name = *FromUtf8(name);
        parsed.code = StationNameToCode(parsed.name);
        train.calls.push_back(parsed);
    }
    return train;
}

class Checker {
  public:
    Checker(const std::filesystem::path& folder, const ServiceDates& dates)
        : m_directory(m_reader, folder), m_dates(dates) {}

    // Problems with the pair of calls i, j of the train; none when a sheet serves it.
    std::string checkPair(const Train& train, std::size_t i, std::size_t j) {
        const Call& start = train.calls[i];
        const Call& end = train.calls[j];
        auto [known, added] = m_masks.try_emplace(start.name + u'|' + end.name);
        if (added) {
            known->second = SelectRoutes(start.name, end.name);
        }
        const RouteMasks masks = known->second;
        const auto departure = CellOfMinutes(start.departure);
        const auto arrival =
            CellOfMinutes(j + 1 == train.calls.size() ? end.arrival : end.departure);
        std::string problem = "not found";
        for (int route = 0; route < kRouteCount; ++route) {
            for (const Direction direction : {Direction::Up, Direction::Down}) {
                const auto mask = direction == Direction::Up ? masks.upMask : masks.downMask;
                if (((mask >> route) & 1u) == 0) {
                    continue;
                }
                auto [sheets, listed] = m_sheetLists.try_emplace(RouteCode::of(route, direction));
                if (listed) {
                    sheets->second = m_directory.sheets(route, direction);
                }
                for (const RouteCode sheet : sheets->second) {
                    const Sheet& loaded = sheetOf(sheet);
                    const auto column = loaded.columns.find(train.number);
                    const auto from = loaded.rows.find(start.code);
                    const auto to = loaded.rows.find(end.code);
                    if (column == loaded.columns.end() || from == loaded.rows.end() ||
                        to == loaded.rows.end() ||
                        loaded.grid->cell(from->second, column->second) != *departure ||
                        loaded.grid->cell(to->second, column->second) != *arrival) {
                        continue;
                    }
                    auto [dates, checked] = m_checked.try_emplace(std::pair(sheet, column->second));
                    if (checked) {
                        dates->second = datesOf(train, sheet, column->second);
                    }
                    problem = dates->second;
                    if (problem.empty()) {
                        return problem;
                    }
                }
            }
        }
        return masks.empty() ? std::string() : problem;
    }

  private:
    std::string datesOf(const Train& train, RouteCode sheet, int column) const {
        const ServicePeriod period = m_dates.period();
        for (int day = period.first; day <= period.last; ++day) {
            if (m_dates.runs(sheet, column, day) != train.days.contains(day)) {
                return TimetableFileName(sheet) + " column " + std::to_string(column) +
                       (train.days.contains(day) ? " does not run on " : " runs on ") +
                       GtfsDateText(day);
            }
        }
        return std::string();
    }

    // A sheet as the search reads it: its grid, the column of each number and the row of
    // each station (the last that lists it, as LocateStationRows takes it).
    struct Sheet {
        std::unique_ptr<TimetableGrid> grid;
        std::map<std::u16string, int> columns;
        std::map<std::u16string, int> rows;
    };

    const Sheet& sheetOf(RouteCode code) {
        auto [it, added] = m_sheets.try_emplace(code);
        Sheet& sheet = it->second;
        if (added) {
            sheet.grid = std::make_unique<TimetableGrid>();
            const auto bytes = ReadWholeFile(m_reader, m_directory.pathOf(code));
            ReadTimetableText(DecodeTimetableText(bytes.value_or("")), *sheet.grid);
            for (int c = 1; c < kGridColumns; ++c) {
                sheet.columns.emplace(sheet.grid->cell(1, c), c);
            }
            for (int r = 2; r < kGridRows; ++r) {
                const std::u16string code16(sheet.grid->cell(r, 0));
                if (const auto row = LocateStationRows(*sheet.grid, code16, code16).departure) {
                    sheet.rows[code16] = *row;
                }
            }
        }
        return sheet;
    }

    DiskFileReader m_reader;
    TimetableDirectory m_directory;
    const ServiceDates& m_dates;
    std::map<RouteCode, Sheet> m_sheets;
    std::map<RouteCode, std::vector<RouteCode>> m_sheetLists;
    std::map<std::pair<RouteCode, int>, std::string> m_checked;
    std::map<std::u16string, RouteMasks> m_masks;
};

int Run(const std::filesystem::path& folder, const std::filesystem::path& expected) {
    DiskFileReader reader;
    const LoadedDates loaded = LoadServiceDates(TimetableDirectory(reader, folder));
    if (!loaded.dates) {
        std::printf("no dates: %s\n", loaded.error.c_str());
        return 1;
    }
    Checker checker(folder, *loaded.dates);
    std::ifstream in(expected);
    int trains = 0;
    int pairs = 0;
    int problems = 0;
    for (std::string line; std::getline(in, line); ++trains) {
        const auto train = ParseTrain(line);
        if (!train) {
            std::printf("bad line: %s\n", line.c_str());
            return 1;
        }
        for (std::size_t i = 0; i < train->calls.size(); ++i) {
            for (std::size_t j = i + 1; j < train->calls.size(); ++j) {
                if (train->calls[i].code == train->calls[j].code) {
                    continue;
                }
                ++pairs;
                const std::string problem = checker.checkPair(*train, i, j);
                if (!problem.empty() && ++problems <= 20) {
                    std::printf("%s %s -> %s: %s\n", ToUtf8(train->number).c_str(),
                                ToUtf8(train->calls[i].name).c_str(),
                                ToUtf8(train->calls[j].name).c_str(), problem.c_str());
                }
            }
        }
    }
    std::printf("%d trains, %d pairs of calls, %d problems\n", trains, pairs, problems);
    return problems == 0 && trains > 0 ? 0 : 1;
}

}  // namespace
}  // namespace velomar

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: operator_feed_check DATA_DIR EXPECTED.tsv\n");
        return 2;
    }
    return velomar::Run(argv[1], argv[2]);
}
