#pragma once

// The train search over the selected timetable files into a sorted page, the result list
// rows and the Prev/Next paging rules. The search knows no settings store: the stored page
// size comes in with the query, and the caller stores the searched pair when told to.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/message_sink.h"
#include "search/result_list.h"
#include "search/result_page.h"
#include "search/search_query.h"
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

// Sorted insertion into the first `pageSize` slots (at most the capacity). A train whose
// departure equals one on the page, or that is later than a full page, changes nothing.
// Sets anyFound whenever a train is offered to a page with room for none (page size 0), so
// that such a search shows an empty list without the "no train" message.
void InsertResult(ResultPage& page, std::size_t pageSize, std::u16string_view trainNo,
                  std::u16string_view departure, std::u16string_view arrival,
                  std::u16string_view label, RouteCode routeCode);

void ClearResultList(ResultListView& list);
// Rows for the first pageSize slots that hold a train, times as HH:MM.
void ShowPage(const ResultPage& page, std::size_t pageSize, ResultListView& list);

enum class ScanResult { GoOn, Stop };

// Loads one file and offers its first pageSize + 1 passing trains to the page.
ScanResult ScanFile(int route, Direction direction, SearchQuery& query, ResultPage& page,
                    ResultListView& list, CurrentTimetableFile& current,
                    const SearchServices& services);

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
    int hour = -1;  // for SelectHourAndSearch

    static PagingOutcome nothing() { return {}; }
    static PagingOutcome searchAgain() { return {Kind::SearchAgain, -1}; }
    static PagingOutcome selectHour(int hour) { return {Kind::SelectHourAndSearch, hour}; }
    friend bool operator==(const PagingOutcome&, const PagingOutcome&) = default;
};

// An earlier hour from the band of the first train's departure.
PagingOutcome PrevPage(const ResultPage& page);
// The hour after the last train of a full page; a last train after 23:00 keeps hour 23.
PagingOutcome NextPage(const ResultPage& page, std::size_t pageSize);

}  // namespace velomar
