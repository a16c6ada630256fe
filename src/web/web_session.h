#pragma once

// One run of the program in the page: the main screen in its layouts and every dialog,
// driven by the page's events. The handheld's dialogs are modal and return their result to
// the code that opened them; a page cannot wait like that, so each dialog here opens with one
// call and closes with another, and the closing call runs the core's whole sequence for that
// dialog (the picker's opening sequence, the favourites flow) with the result the user gave.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/message_sink.h"
#include "screens/favorites.h"
#include "screens/main_screen.h"
#include "screens/options.h"
#include "screens/station_picker.h"
#include "search/result_list.h"
#include "settings/settings_backend.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "web/phone_screen.h"

namespace velomar {

// What the main screen's controls hold, as the page sends it before an action.
struct WebForm {
    std::u16string departure = u"서울";
    std::u16string arrival = u"대전";
    int type = -1;
    int hour = -1;
    int minute = -1;
};

// The date drop-down: hidden (`shown` false) where the timetables carry no dates.
struct DateView {
    bool shown = false;
    std::vector<std::u16string> entries;
    int selection = -1;
    // After pickDate: "날짜 선택" was picked; the picker lists `days` and opens on `startRow`.
    bool openPicker = false;
    std::vector<std::u16string> days;
    int startRow = -1;
};

// The main screen after an action.
struct MainView {
    Layout layout = Layout::Portrait;
    bool ended = false;  // "종료", or OK of the square screen: the program has ended
    WebForm form;
    DateView date;
    std::vector<ResultRow> rows;
    std::vector<Message> messages;  // shown one after another, in this order
};

struct PickerView {
    Layout layout = Layout::Portrait;
    bool departure = true;
    std::vector<int> shownRows;  // per group
};

struct FavoritesView {
    std::vector<FavoritePair> rows;
    std::vector<bool> checks;
    std::u16string departure;
    std::u16string arrival;
    int chosen = kNoFavoriteChosen;
    std::vector<Message> messages;
};

struct OptionsView {
    std::vector<std::u16string> entries;
    int selection = -1;
};

struct DetailView {
    bool open = false;  // false: the tap does nothing (messages may still come)
    Layout layout = Layout::Portrait;
    StopList stops;
    std::vector<Message> messages;
};

struct WebServices {
    std::unique_ptr<SettingsBackend> settings;
    std::filesystem::path dataFolder;  // holds TimeData/
    std::unique_ptr<Clock> clock;
};

class WebSession {
  public:
    explicit WebSession(WebServices services);
    ~WebSession();

    // The viewport the page has: the first call is the program's start-up, later ones (a
    // turned phone, a resized window) run the layout choice again.
    MainView start(int viewportWidth, int viewportHeight);
    MainView resize(int viewportWidth, int viewportHeight);
    const PhoneScreen& phone() const { return m_phone; }
    Layout layout() const;
    LocalTime now() const { return m_clock->now(); }

    MainView search(const WebForm& form);
    MainView prev(const WebForm& form);
    MainView next(const WebForm& form);
    // The page came back to the front, or its last dialog closed.
    MainView focusReset(const WebForm& form);
    DetailView detail(const WebForm& form, int row);
    // OK (which ends the program) or 취소 of the square screen.
    MainView closeSquare(bool ok, const WebForm& form);
    // "종료".
    MainView end();

    PickerView openPicker(bool departure, bool fromFavorites);
    PickerView pick(int group, int row);
    MainView closePickerOnMain(bool accepted, const WebForm& form);
    FavoritesView closePickerOnFavorites(bool accepted);

    FavoritesView openFavorites();
    FavoritesView favoritesClick(int row);
    FavoritesView favoritesCheck(int row, bool checked);
    FavoritesView favoritesAdd(std::u16string_view departure, std::u16string_view arrival);
    FavoritesView favoritesDelete();
    MainView closeFavorites(bool accepted, std::u16string_view departure,
                            std::u16string_view arrival, const WebForm& form);

    // The date drop-down's entry `entry` picked; like the hour it searches nothing. With
    // openPicker the page shows the days and answers with pickDay (-1: cancelled).
    DateView pickDate(int entry);
    DateView pickDay(int row);

    OptionsView openOptions();
    OptionsView optionsSelect(int entry);
    MainView closeOptions(bool ok);

    // The import's notes on the timetables (TimeData/SOURCE.txt), empty when there are none.
    std::string sourceText() const;

  private:
    MainScreen& screen();
    void pull(const WebForm& form);
    MainView view();
    DateView dateView();
    FavoritesView favoritesView();
    std::vector<Message> takeMessages();
    void runLayoutChoice();

    std::unique_ptr<SettingsBackend> m_settings;
    std::unique_ptr<Clock> m_clock;
    DiskFileReader m_reader;
    TimetableDirectory m_timetables;
    RunState m_run;
    RecordingMessageSink m_messages;
    ScreenSize m_viewport;  // CSS pixels
    PhoneScreen m_phone;
    ResultRows m_portraitRows;
    ResultRows m_squareRows;
    std::unique_ptr<MainScreen> m_portrait;
    std::unique_ptr<MainScreen> m_square;
    bool m_portraitStarted = false;
    bool m_ended = false;
    std::optional<StationPicker> m_picker;
    std::unique_ptr<Favorites> m_favorites;
    std::unique_ptr<OptionsDialogRules> m_options;
};

}  // namespace velomar
