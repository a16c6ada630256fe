#include "search/search.h"

#include <algorithm>
#include <cstdio>

#include "network/route_table.h"
#include "timetable/route_selection.h"
#include "timetable/time_text.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

constexpr std::size_t kMinimumPageSize = 2;

std::u16string Ascii(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) {
        out += static_cast<char16_t>(*text);
    }
    return out;
}

// "0700", "2400": the four-digit text of hour * 100.
std::u16string HourBound(int hour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d00", hour);
    return Ascii(text);
}

// Above lower, up to upper, as texts.
bool InBand(std::u16string_view t, std::u16string_view lower, std::u16string_view upper) {
    return t > lower && t <= upper;
}

}  // namespace

std::size_t EffectivePageSize(std::uint32_t stored, std::size_t capacity) {
    if (stored == 0) {
        return 0;
    }
    return std::clamp<std::size_t>(stored, kMinimumPageSize, capacity);
}

std::u16string TimeKey(int hourIndex, int minuteIndex) {
    char text[32];
    if (minuteIndex == 0) {
        std::snprintf(text, sizeof text, hourIndex < 10 ? "0%d00" : "%d00", hourIndex);
    } else {
        std::snprintf(text, sizeof text, hourIndex < 10 ? "0%d%d" : "%d%d", hourIndex, minuteIndex);
    }
    return Ascii(text);
}

void SetTypeFilter(SearchQuery& query) {
    if (query.typeIndex >= 0 && query.typeIndex < static_cast<int>(kTrainTypeEntries.size())) {
        query.typeFilter = kTrainTypeEntries[static_cast<std::size_t>(query.typeIndex)];
    }
}

bool PassesTypeFilter(std::u16string_view typeFilter, std::u16string_view code) {
    for (std::size_t i = 1; i < kTrainTypeEntries.size(); ++i) {
        if (typeFilter == kTrainTypeEntries[i]) {
            return TrainTypeOf(code) == typeFilter;
        }
    }
    // The "all trains" entry, or no filter at all: unknown codes pass too.
    return true;
}

void ResetPage(ResultPage& page) {
    for (ResultSlot& slot : page.resultSlots) {
        slot = ResultSlot{std::u16string(kNoTime), {}, {}, {}, {}, RouteCode()};
    }
}

void InsertResult(ResultPage& page, std::size_t pageSize, std::u16string_view trainNo,
                  std::u16string_view departure, std::u16string_view arrival,
                  std::u16string_view label, RouteCode routeCode) {
    const std::size_t p = std::min(pageSize, page.capacity);
    if (p == 0) {
        // No room on the page; the train still counts as found.
        page.anyFound = true;
        return;
    }
    std::size_t position = p;  // none
    if (departure < page[0].departureKey) {
        position = 0;
    } else {
        for (std::size_t t = 0; t + 1 < p; ++t) {
            if (page[t].departureKey < departure && departure < page[t + 1].departureKey) {
                position = t + 1;
                break;
            }
        }
    }
    if (position == p) {
        return;
    }
    for (std::size_t i = p - 1; i > position; --i) {
        page[i] = std::move(page[i - 1]);
    }
    page[position] =
        ResultSlot{std::u16string(departure), std::u16string(trainNo), DisplayTime(departure),
                   DisplayTime(arrival),      std::u16string(label),   routeCode};
    page.anyFound = true;
}

void ClearResultList(ResultListView& list) {
    list.clearRows();
}

void ShowPage(const ResultPage& page, std::size_t pageSize, ResultListView& list) {
    const std::size_t p = std::min(pageSize, page.capacity);
    for (std::size_t i = 0; i < p; ++i) {
        const ResultSlot& slot = page[i];
        if (slot.departureKey == kNoTime) {
            continue;
        }
        list.insertRow({static_cast<int>(i), slot.trainNo, FormatClock(slot.departureText),
                        FormatClock(slot.arrivalText), slot.typeLabel});
    }
}

ScanResult ScanFile(int route, Direction direction, SearchQuery& query, ResultPage& page,
                    ResultListView& list, CurrentTimetableFile& current,
                    const SearchServices& services) {
    TimetableGrid& grid = services.grid;
    if (!OpenTimetableFile(services.timetables, route, direction, current, services.messages) ||
        !LoadTimetableGrid(current, grid, services.messages)) {
        services.messages.showMessage(u"GetTimeTable() Error", kInfoCaption);
        return ScanResult::Stop;
    }
    const std::u16string key = TimeKey(query.hourIndex, query.minuteIndex);
    ClearResultList(list);
    StationNameToCode(query.startStation, query.endStation);
    const StationRows rows = LocateStationRows(grid, query.startStation, query.endStation);
    if (!rows.departure || !rows.arrival) {
        return ScanResult::Stop;
    }
    const RouteCode code = RouteCode::of(route, direction);
    std::size_t offered = 0;
    for (int k = 1; k < kGridColumns; ++k) {
        const std::u16string_view dep = grid.cell(*rows.departure, k);
        if (!(key <= dep) || dep == kNoTime) {
            continue;
        }
        const std::u16string_view arr = grid.cell(*rows.arrival, k);
        if (arr == kNoTime) {
            continue;
        }
        const std::u16string_view trainCode = grid.cell(0, k);
        if (!PassesTypeFilter(query.typeFilter, trainCode)) {
            continue;
        }
        // Each file offers at most pageSize + 1 trains.
        if (offered > query.pageSize) {
            break;
        }
        InsertResult(page, query.pageSize, grid.cell(1, k), dep, arr, TypeLabel(trainCode), code);
        ++offered;
    }
    return ScanResult::GoOn;
}

SearchEnd RunSearch(SearchQuery& query, ResultPage& page, ResultListView& list,
                    CurrentTimetableFile& current, const SearchServices& services,
                    NoRouteRule rule) {
    MessageSink& messages = services.messages;
    page.anyFound = false;
    query.pageSize = EffectivePageSize(query.storedPageSize, page.capacity);

    if (query.startStation.empty()) {
        messages.showMessage(u"출발역이 없습니다.", kInfoCaption);
    } else if (query.endStation.empty()) {
        messages.showMessage(u"도착역이 없습니다.", kInfoCaption);
    }
    SetTypeFilter(query);
    ResetPage(page);

    const RouteMasks masks = SelectRoutes(query.startStation, query.endStation);
    if (masks.empty()) {
        messages.showMessage(u"열차를 찾을 수 없습니다.", kInfoCaption);
        if (rule == NoRouteRule::ClearListAndEnd) {
            ClearResultList(list);
            return SearchEnd::EndedWithoutRoute;
        }
    }

    for (int r = 0; r < kRouteCount; ++r) {
        const std::uint32_t bit = std::uint32_t{1} << r;
        if ((masks.upMask & bit) != 0 &&
            ScanFile(r, Direction::Up, query, page, list, current, services) == ScanResult::Stop) {
            break;
        }
        if ((masks.downMask & bit) != 0 && ScanFile(r, Direction::Down, query, page, list, current,
                                                    services) == ScanResult::Stop) {
            break;
        }
    }

    if (page.anyFound) {
        ShowPage(page, query.pageSize, list);
    } else {
        messages.showMessage(u"열차가 없습니다.", kAppTitle);
    }
    StationCodeToName(query.startStation, query.endStation);
    return SearchEnd::Finished;
}

PagingOutcome PrevPage(const ResultPage& page) {
    const std::u16string_view t = page[0].departureKey;
    if (t.empty()) {
        return PagingOutcome::nothing();
    }
    struct Band {
        std::u16string_view lower;
        std::u16string_view upper;
        int hour;
    };
    static constexpr Band kBands[] = {
        {u"0000", u"0100", 0},  {u"0100", u"0400", 1},  {u"0400", u"0700", 2},
        {u"0700", u"1000", 5},  {u"1000", u"1300", 8},  {u"1300", u"1600", 11},
        {u"1600", u"1900", 14}, {u"1900", u"2200", 17}, {u"2200", u"2400", 20},
    };
    for (const Band& band : kBands) {
        if (InBand(t, band.lower, band.upper)) {
            return PagingOutcome::selectHour(band.hour);
        }
    }
    return PagingOutcome::searchAgain();
}

PagingOutcome NextPage(const ResultPage& page, std::size_t pageSize) {
    const std::size_t p = std::min(pageSize, page.capacity);
    const ResultSlot* last = nullptr;
    for (std::size_t i = p; i > 0; --i) {
        if (!page[i - 1].departureKey.empty()) {
            last = &page[i - 1];
            break;
        }
    }
    if (last == nullptr) {
        return PagingOutcome::nothing();
    }
    const std::u16string_view t = last->departureKey;
    for (int hour = 0; hour < 24; ++hour) {
        if (InBand(t, HourBound(hour), HourBound(hour + 1))) {
            // The hour list ends at 23: a last train after 23:00 keeps that hour.
            return PagingOutcome::selectHour(std::min(hour + 1, 23));
        }
    }
    return PagingOutcome::searchAgain();
}

}  // namespace velomar
