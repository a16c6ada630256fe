#pragma once

// The main search screen without widgets: what each control holds, and every rule of
// start-up, Search, Prev/Next, focus reset and the tap on a row. The Qt widgets, the CLI and
// the tests drive this class; widgets copy their state into form() before an action and show
// form() and the result rows afterwards.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/message_sink.h"
#include "screens/layout_rules.h"
#include "screens/search_date.h"
#include "search/result_list.h"
#include "search/result_page.h"
#include "search/search.h"
#include "search/search_query.h"
#include "search/train_detail.h"
#include "settings/settings_backend.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {

enum class Layout { Portrait, Square };

// What the screen's controls hold. Selections are list indices, -1 for none.
struct MainForm {
    std::u16string departureField = u"서울";
    std::u16string arrivalField = u"대전";
    int typeSelection = -1;
    int hourSelection = -1;
    int minuteSelection = -1;
};

struct MainScreenServices {
    SettingsBackend& settings;
    const TimetableDirectory& timetables;
    TimetableGrid& grid;
    MessageSink& messages;
    const Clock& clock;
    ScreenSize screen;
    bool& squareDialogShown;  // of the run, see RunState
};

// What one run of the program keeps from its start to its end: the single grid every screen
// loads its timetable files into, and whether the square dialog was shown (set just before
// it runs, never reset). The application and each CLI command own one; tests make their own,
// so nothing carries over from one test to the next.
struct RunState {
    TimetableGrid grid;
    bool squareDialogShown = false;
};

// The two steps of a form's start-up, in the order its layout runs them: the square dialog
// sets up its list columns and button tiles before it restores the settings, the portrait
// form after.
enum class StartUpStep { RestoreSettings, ColumnsAndTiles };
std::array<StartUpStep, 2> StartUpOrder(Layout layout);

// "ResultCount" written at portrait start-up when it is missing or 0: 9 on screens lower than
// 400 pixels (320 among them), 14 from 400 up (400 and 800 among them).
unsigned DefaultPortraitPageSize(int screenHeight);

// How start-up fared with the store. `read` Busy or Failed: the store could not answer, so
// the built-in pair and page size hold for this run and nothing was written. `written` Busy
// or Failed: what start-up meant to store (the defaults of a first start, the pair written
// back) could not be stored, and none of it was.
struct SettingsRestore {
    SettingsStatus read = SettingsStatus::Ok;
    SettingsStatus written = SettingsStatus::Ok;
    bool ok() const { return read == SettingsStatus::Ok && written == SettingsStatus::Ok; }
};

class MainScreen {
  public:
    MainScreen(Layout layout, MainScreenServices services, ResultListView& list);

    Layout layout() const { return m_layout; }
    int rowCapacity() const;  // 14 portrait, 9 square

    // The layout choice of the portrait form for the run's screen; the first choice of the
    // square dialog marks it shown for the rest of the run.
    LayoutAction chooseLayout();

    // Start-up: selections from the clock, the date today (when the set carries dates),
    // settings restored (defaults on first start), page size; ends with WriteForm.
    void startUp();
    const SettingsRestore& settingsRestore() const { return m_restore; }
    // The first failure to store the pair after a search since start-up; Ok when every search
    // that ran to its end stored it.
    SettingsStatus pairStoreStatus() const { return m_pairStore; }
    // The Search button: ReadForm, the selections and the date into the query, the stored page
    // size, then RunSearch from the chosen time; the pair is stored when the search ran to its
    // end.
    void search();
    // Prev / Next: apply the paging outcome (select an hour, and for Next the minute step and
    // the exact start after the page's last train; search again; or nothing).
    void prev();
    void next();
    // Portrait only: type entry 0 and the current hour selected again.
    void focusReset();
    // The tap on row `row` (-1: no row). Nothing when the tap does nothing; otherwise the
    // stops to show (possibly none), messages already shown.
    std::optional<StopList> trainDetail(int row);

    void ReadForm();   // fields -> held texts
    void WriteForm();  // held texts -> fields

    // The day the screen answers for (shown only when the set carries dates).
    SearchDate& date() { return m_date; }
    const SearchDate& date() const { return m_date; }
    int today() const { return m_services.clock.today(); }

    MainForm& form() { return m_form; }
    const MainForm& form() const { return m_form; }
    std::u16string& startStation() { return m_query.startStation; }
    std::u16string& endStation() { return m_query.endStation; }
    const ResultPage& page() const { return m_page; }
    const SearchQuery& query() const { return m_query; }
    CurrentTimetableFile& currentFile() { return m_currentFile; }

    // Runs just before every search (Search, and Prev or Next when they search again): the
    // widgets move the input focus to the result list there.
    std::function<void()> beforeSearch;

  private:
    void turnPage(const PagingOutcome& outcome);
    void runSearch();
    unsigned defaultPageSize() const;
    SettingsRestore restoreSettings();
    // The store could not answer: the built-in pair and page size for this run.
    SettingsRestore useBuiltIn(SettingsStatus read);
    SettingsRestore restoreStored(std::uint32_t& pageSize);
    SettingsRestore storeFirstStart(std::uint32_t& pageSize);

    Layout m_layout;
    MainScreenServices m_services;
    ResultListView& m_list;
    MainForm m_form;
    SearchQuery m_query;
    SearchDate m_date;
    ResultPage m_page;
    CurrentTimetableFile m_currentFile;
    SettingsRestore m_restore;
    SettingsStatus m_pairStore = SettingsStatus::Ok;
};

}  // namespace velomar
