#pragma once

// Trips with the same type, number and calls (the weekday and the weekend trip of one train,
// or its trips of every week of the period) are one train: one column, running on the days
// of all of them. A number with other calls is another train.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "import/day_set.h"
#include "timetable/timetable_file.h"

namespace velomar {

// One call at a network station; minutes of the service day.
struct TrainCall {
    std::int16_t station;
    std::int16_t arrival;
    std::int16_t departure;
    friend bool operator==(const TrainCall&, const TrainCall&) = default;
};

struct ImportTrain {
    std::u16string code;    // the type-and-day code, chosen once the days are known
    std::u16string number;  // four digits
    int type = 0;           // 0 무궁화, 1 새마을, 2 KTX, 3 통일호, 4 누리로
    std::vector<TrainCall> calls;
    // A sheet and column from Velomar's own export: honoured when the train fits that sheet.
    RouteCode hint;
    int hintColumn = 0;
    long trips = 0;  // trips of the feed in it
    DaySet days;     // the days of the period it runs on
};

// What makes two trips one train, besides their calls.
struct TrainKey {
    int type;
    std::uint16_t number;
    RouteCode hint;
    int hintColumn;
};

class TrainTable {
  public:
    // A trip that became `calls`, running on the days of `daySet`: joins the train of the same
    // key and calls, or begins a new one. Returns the train.
    int add(const TrainKey& key, std::vector<TrainCall> calls, int daySet);
    // Takes a trip out again (its rows went on further down the file).
    void remove(int train, int daySet);
    // The trains that kept a trip, each with the days of all its trips.
    std::vector<ImportTrain> finish(const std::vector<DaySet>& sets, int periodDays);

  private:
    std::vector<ImportTrain> m_trains;
    std::vector<std::vector<int>> m_tripSets;  // per train, the day set of each of its trips
    std::unordered_multimap<std::uint64_t, int> m_byHash;
};

// "0101" for 101.
std::u16string NumberCell(std::uint16_t number);

}  // namespace velomar
