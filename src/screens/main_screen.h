#pragma once

// The main search screen without widgets: what each control holds, and every rule of
// start-up, Search, Prev/Next, focus reset and the tap on a row. The Qt widgets, the CLI and
// the tests drive this class; widgets copy their state into form() before an action and show
// form() and the result rows afterwards.

#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/message_sink.h"
#include "search/result_list.h"
#include "search/result_page.h"
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
};

// "ResultCount" written at portrait start-up when it is missing or 0: 9 on screens lower than
// 400 pixels (320 among them), 14 from 400 up (400 and 800 among them).
unsigned DefaultPortraitPageSize(int screenHeight);

class MainScreen {
  public:
    MainScreen(Layout layout, MainScreenServices services, ResultListView& list);

    Layout layout() const { return m_layout; }
    int rowCapacity() const;  // 14 portrait, 9 square

    // Start-up: selections from the clock, settings restored (defaults on first start), page
    // size; ends with WriteForm.
    void startUp();
    // The Search button: ReadForm, the selections into the query, RunSearch.
    void search();
    // Prev / Next: apply the paging outcome (select an hour, search again, or nothing).
    void prev();
    void next();
    // Portrait only: type entry 0 and the current hour selected again.
    void focusReset();
    // The tap on row `row` (-1: no row). Nothing when the tap does nothing; otherwise the
    // stops to show (possibly none), messages already shown.
    std::optional<StopList> trainDetail(int row);

    void ReadForm();   // fields -> held texts
    void WriteForm();  // held texts -> fields

    MainForm& form() { return m_form; }
    const MainForm& form() const { return m_form; }
    std::u16string& startStation() { return m_query.startStation; }
    std::u16string& endStation() { return m_query.endStation; }
    const ResultPage& page() const { return m_page; }
    const SearchQuery& query() const { return m_query; }
    CurrentTimetableFile& currentFile() { return m_currentFile; }

  private:
    Layout m_layout;
    MainScreenServices m_services;
    ResultListView& m_list;
    MainForm m_form;
    SearchQuery m_query;
    ResultPage m_page;
    CurrentTimetableFile m_currentFile;
};

}  // namespace velomar
