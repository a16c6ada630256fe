#pragma once

// The train search over the selected timetable files into a sorted page, the result list
// rows and the Prev/Next paging rules. The search knows no settings store: the stored page
// size comes in with the query, and the caller stores the searched pair when told to.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_sink.h"
#include "search/result_list.h"
#include "search/result_page.h"
#include "search/search_query.h"
#include "search/train_admission.h"
#include "timetable/route_selection.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {

// What the search reads and writes besides the query, page and list.
struct SearchServices {
    const TimetableDirectory& timetables;
    TimetableGrid& grid;
    MessageSink& messages;
};

// What a search does when no route serves the pair: the portrait screen empties its list and
// ends; the square screen carries on (loads nothing, keeps the old rows, says no train was
// found and stores the stations).
enum class NoRouteRule { ClearListAndEnd, GoOn };

// The page size the search works with for a stored "ResultCount": 0 stays 0 (an empty
// page), 1 becomes 2 (the smallest supported page), anything above the layout's capacity
// becomes the capacity.
std::size_t EffectivePageSize(std::uint32_t stored, std::size_t capacity);

// The lowest departure a search admits: hour then minute step, compared as text ("073"
// admits 07:30 on). A missing hour (-1) gives "0-1..." which lies below every time.
std::u16string TimeKey(int hourIndex, int minuteIndex);

// typeIndex 0-5 picks the entry of the type list; anything else keeps the previous text.
void SetTypeFilter(SearchQuery& query);
// Whether a train with this code passes the filter text.
bool PassesTypeFilter(std::u16string_view typeFilter, std::u16string_view code);

// Sets every slot of the page to the empty-slot values.
void ResetPage(ResultPage& page);

// Sorted insertion into the first `pageSize` slots (at most the capacity), after every train
// leaving no later, so that of trains leaving at one minute the one offered first comes
// first. The same train offered again (its number and departure already on the page: a
// through train listed in its line's file too), or one later than a full page, changes
// nothing.
// Sets anyFound whenever a train is offered to a page with room for none (page size 0), so
// that such a search shows an empty list without the "no train" message.
void InsertResult(ResultPage& page, std::size_t pageSize, std::u16string_view trainNo,
                  std::u16string_view departure, std::u16string_view arrival,
                  std::u16string_view label, RouteCode routeCode);

void ClearResultList(ResultListView& list);
// Rows for the first pageSize slots that hold a train, times as HH:MM.
void ShowPage(const ResultPage& page, std::size_t pageSize, ResultListView& list);

enum class ScanResult { GoOn, Stop };

// Loads one file or sheet and offers its first pageSize + 1 admitted trains to the page.
ScanResult ScanFile(RouteCode sheet, SearchQuery& query, ResultPage& page, ResultListView& list,
                    CurrentTimetableFile& current, const SearchServices& services,
                    const TrainAdmission& trains);

// The files and sheets a search of the pair reads, in its order: route by route, the Up
// file's sheets before the Down file's.
std::vector<RouteCode> SearchSheets(const TimetableDirectory& timetables, const RouteMasks& masks);

// How a search ended. Finished: it ran to its end, where the screen stores the station pair
// (names again by then) as "StartStation"/"EndStation". The portrait screen's search ends
// early when no route serves the pair, and nothing is stored.
enum class SearchEnd { Finished, EndedWithoutRoute };

// The whole search of one main screen. Messages go through services.messages in the order
// the user would see them.
SearchEnd RunSearch(SearchQuery& query, ResultPage& page, ResultListView& list,
                    CurrentTimetableFile& current, const SearchServices& services,
                    NoRouteRule rule);

// What Prev and Next ask the screen to do.
struct PagingOutcome {
    enum class Kind { Nothing, SearchAgain, SelectHourAndSearch };
    Kind kind = Kind::Nothing;
    int hour = -1;         // for SelectHourAndSearch
    int minuteEntry = -1;  // Next: the ten-minute step to select as well; -1 leaves the list
    // Next: where the page begins exactly; Prev and Search search without one.
    std::optional<PageBound> after;

    static PagingOutcome nothing() { return {}; }
    static PagingOutcome searchAgain() { return {Kind::SearchAgain, -1, -1, {}}; }
    static PagingOutcome selectHour(int hour) { return {Kind::SelectHourAndSearch, hour, -1, {}}; }
    friend bool operator==(const PagingOutcome&, const PagingOutcome&) = default;
};

// An earlier hour from the band of the first train's departure.
PagingOutcome PrevPage(const ResultPage& page);
// The page after a full page begins with the first train after its last one: the hour and
// ten-minute step that train leaves in, and the bound past it (adding to `previous` when the
// page ended at the same minute, as a minute with more trains than a page does). After
// midnight the hour stays. A page that is not full repeats its search.
PagingOutcome NextPage(const ResultPage& page, std::size_t pageSize,
                       const std::optional<PageBound>& previous = std::nullopt);

}  // namespace velomar
