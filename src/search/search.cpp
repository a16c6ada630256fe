#include "search/search.h"

#include <algorithm>
#include <cstdio>

#include "network/route_table.h"
#include "timetable/route_selection.h"
#include "timetable/service_time.h"
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
        slot = ResultSlot{};
        slot.departureKey = kNoTime;
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
    // After every train leaving no later; empty slots ("9999") lie above every time.
    std::size_t position = 0;
    for (; position < p && page[position].departureKey <= departure; ++position) {
        if (page[position].departureKey == departure && page[position].trainNo == trainNo) {
            return;  // the same train, listed by another file too
        }
    }
    if (position == p) {
        return;
    }
    for (std::size_t i = p - 1; i > position; --i) {
        page[i] = std::move(page[i - 1]);
    }
    // Written in place: the slot's texts keep their room.
    ResultSlot& slot = page[position];
    slot.trainNo.assign(trainNo);
    slot.typeLabel.assign(label);
    slot.departureKey.assign(departure);
    slot.arrivalCell.assign(arrival);
    slot.routeCode = routeCode;
    slot.from.clear();
    slot.to.clear();
    slot.departureText = DisplayTime(departure);
    slot.arrivalText = DisplayTime(arrival);
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

ScanResult ScanFile(RouteCode sheet, SearchQuery& query, ResultPage& page, ResultListView& list,
                    CurrentTimetableFile& current, const SearchServices& services,
                    const TrainAdmission& trains) {
    TimetableGrid& grid = services.grid;
    if (!OpenTimetableFile(services.timetables, sheet, current, services.messages) ||
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
    const RideQuery ride{*rows.departure, *rows.arrival, key,
                         query.after ? &*query.after : nullptr};
    std::size_t offered = 0;
    for (int k = 1; k < kGridColumns; ++k) {
        if (!AdmitsRide(grid, sheet, k, ride, trains)) {
            continue;
        }
        // Each file or sheet offers at most pageSize + 1 trains.
        if (offered > query.pageSize) {
            break;
        }
        InsertResult(page, query.pageSize, grid.cell(1, k), grid.cell(ride.departureRow, k),
                     grid.cell(ride.arrivalRow, k), TypeLabel(grid.cell(0, k)), sheet);
        ++offered;
    }
    return ScanResult::GoOn;
}

std::vector<RouteCode> SearchSheets(const TimetableDirectory& timetables, const RouteMasks& masks) {
    std::vector<RouteCode> sheets;
    for (int r = 0; r < kRouteCount; ++r) {
        const std::uint32_t bit = std::uint32_t{1} << r;
        for (Direction d : {Direction::Up, Direction::Down}) {
            if (((d == Direction::Up ? masks.upMask : masks.downMask) & bit) != 0) {
                const std::vector<RouteCode> more = timetables.sheets(r, d);
                sheets.insert(sheets.end(), more.begin(), more.end());
            }
        }
    }
    return sheets;
}

namespace {

// The dates of the sheets a search reads, when the query asks for a day; a dates file that
// cannot be read is shown as a file that cannot be (nothing is then listed).
bool LoadSearchDates(const SearchQuery& query, const std::vector<RouteCode>& sheets,
                     const SearchServices& services, LoadedDates& loaded) {
    if (!query.serviceDay || sheets.empty()) {
        return true;
    }
    std::vector<RouteCode> wanted = sheets;
    std::sort(wanted.begin(), wanted.end());
    loaded = LoadServiceDates(services.timetables, &wanted);
    if (loaded.status != DatesLoad::Failed) {
        return true;
    }
    services.messages.showMessage(u"Read Data File Error", kAppTitle);
    services.messages.showMessage(u"GetTimeTable() Error", kInfoCaption);
    return false;
}

}  // namespace

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

    const std::vector<RouteCode> sheets = SearchSheets(services.timetables, masks);
    LoadedDates dates;
    if (LoadSearchDates(query, sheets, services, dates)) {
        const ServiceDay day =
            dates.dates ? ServiceDay{&*dates.dates, *query.serviceDay} : ServiceDay{};
        const TrainAdmission trains(query.typeFilter, day);
        for (RouteCode sheet : sheets) {
            if (ScanFile(sheet, query, page, list, current, services, trains) == ScanResult::Stop) {
                break;
            }
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

PagingOutcome NextPage(const ResultPage& page, std::size_t pageSize,
                       const std::optional<PageBound>& previous) {
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
    if (last->departureKey == kNoTime) {
        // Not full: nothing follows, and the same search is made again.
        PagingOutcome again = PagingOutcome::searchAgain();
        again.after = previous;
        return again;
    }
    PageBound bound{last->departureKey, {}};
    if (previous && previous->departureKey == bound.departureKey) {
        bound.shownAtKey = previous->shownAtKey;
    }
    for (std::size_t i = 0; i < p; ++i) {
        if (page[i].departureKey == bound.departureKey) {
            bound.shownAtKey.push_back(page[i].trainNo);
        }
    }
    PagingOutcome outcome = PagingOutcome::searchAgain();
    const auto minutes = CellMinutes(bound.departureKey);
    if (minutes && *minutes < 24 * 60) {
        outcome = PagingOutcome::selectHour(*minutes / 60);
        outcome.minuteEntry = *minutes % 60 / 10;
    }
    // After midnight every hour admits the trains, so the hour stays.
    outcome.after = std::move(bound);
    return outcome;
}

}  // namespace velomar
