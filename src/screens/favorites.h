#pragma once

// The favourites dialog without widgets: up to ten stored departure/arrival pairs, the row
// the user clicked last, and the add and delete rules over the settings store.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_sink.h"
#include "screens/dialog_template.h"
#include "screens/station_picker.h"
#include "settings/settings_backend.h"

namespace velomar {

inline constexpr int kFavoritesTemplate = 170;
inline constexpr std::u16string_view kFavoritesCaption = u"즐겨찾기";
inline constexpr std::u16string_view kFavoritesFullMessage = u"10개까지만 등록가능합니다.";
inline constexpr std::u16string_view kFavoritesDepartureHeader = u"출발역";
inline constexpr std::u16string_view kFavoritesArrivalHeader = u"도착역";
// "FavoriteCount" holds the index of the last pair; this value means no pair at all.
inline constexpr std::uint32_t kNoFavoritePairs = 100;
// GetSelection() when no row was clicked.
inline constexpr int kNoFavoriteChosen = 100;
inline constexpr int kMaxFavoritePairs = 10;

namespace favorites_id {
inline constexpr int kDepartureField = 1011;
inline constexpr int kArrivalField = 1012;
inline constexpr int kDepartureFind = 1013;
inline constexpr int kArrivalFind = 1014;
inline constexpr int kAdd = 1043;
inline constexpr int kList = 1006;
inline constexpr int kOk = 1;
inline constexpr int kDelete = 1044;
inline constexpr int kCancel = 2;
}  // namespace favorites_id

// Template 170: 120 x 180 dialog units, 굴림 10 points. The list has whole-row selection and
// a check box per row; the edit fields scroll horizontally.
const DialogTemplate& FavoritesTemplate();

struct FavoriteColumns {
    int departure = 0;
    int arrival = 0;
    friend bool operator==(const FavoriteColumns&, const FavoriteColumns&) = default;
};

// 240: 100/100, 320: 140/141, 480: 200/200. Other widths take the set of the next smaller of
// these (the 240 set below 320).
FavoriteColumns FavoriteColumnWidths(int screenWidth);

struct FavoritePair {
    std::u16string departure;
    std::u16string arrival;
    friend bool operator==(const FavoritePair&, const FavoritePair&) = default;
};

enum class FavoriteAddOutcome {
    Added,
    Full,         // ten pairs stored: the message was shown, nothing stored
    Refused,      // "FavoriteCount" holds something else: nothing stored, no message
    StoreFailed,  // the change could not be stored whole: store and list unchanged
};

enum class FavoriteDeleteOutcome {
    Deleted,
    NoRow,        // the chosen index designates no row: nothing happens
    StoreFailed,  // the change could not be stored whole: store and list unchanged
};

class Favorites {
  public:
    Favorites(SettingsBackend& settings, MessageSink& messages);

    // Dialog initialisation: loads the stored pairs into the rows and sets the two texts.
    // Afterwards the fields show departureText() and arrivalText().
    void start();

    const std::vector<FavoritePair>& rows() const { return m_rows; }
    // Check box of each row; a display only, kept in step with rows().
    const std::vector<bool>& checks() const { return m_checks; }
    // The list control ticked or unticked a row's box itself.
    void setChecked(int row, bool checked);

    // The data of the two edit fields.
    const std::u16string& departureText() const { return m_departure; }
    const std::u16string& arrivalText() const { return m_arrival; }

    // A click on the list; -1 (or any index past the rows) when it hit no row.
    void rowClicked(int row);

    // "추가" with the texts the two edit fields hold now.
    FavoriteAddOutcome add(std::u16string_view departureField, std::u16string_view arrivalField);
    // "삭제".
    FavoriteDeleteOutcome remove();
    // "찾기": the picker's opening sequence on the two texts. Afterwards the fields show
    // departureText() and arrivalText(), whatever the picker returned.
    bool find(bool departure, const PickerRunner& runPicker);
    // "선택": takes the fields' texts; the dialog then closes with OK.
    void select(std::u16string_view departureField, std::u16string_view arrivalField);

    // The row clicked last, or 100 when none.
    int GetSelection() const { return m_chosen; }

  private:
    // The stored pairs into the rows; the first read the store could not answer ends it.
    SettingsStatus loadRows(std::uint32_t count);
    // Inside a change, when start() could not read the rows: read them now, so the rows shown
    // are the stored ones. False when the store could not answer.
    bool reloadRows(std::uint32_t count, SettingsStatus countRead);

    SettingsBackend& m_settings;
    MessageSink& m_messages;
    std::u16string m_departure;
    std::u16string m_arrival;
    std::vector<FavoritePair> m_rows;
    std::vector<bool> m_checks;
    int m_chosen = kNoFavoriteChosen;
    bool m_rowsKnown = false;  // the rows are the stored pairs
};

struct FavoritesOutcome {
    bool accepted = false;  // closed with "선택"
    int selection = kNoFavoriteChosen;
};

// Shows the favourites dialog modally and reports how it closed with GetSelection().
using FavoritesRunner = std::function<FavoritesOutcome()>;

// The main screen's favourites command: on "선택" with a chosen pair the stored pair replaces
// the held texts (a value that cannot be read keeps the held text). Returns true when the
// caller must write its held texts into its fields.
bool RunFavoritesFlow(SettingsBackend& settings, std::u16string& startStation,
                      std::u16string& endStation, const FavoritesRunner& runDialog);

template <typename Screen>
bool OpenFavoritesFrom(Screen& screen, SettingsBackend& settings,
                       const FavoritesRunner& runDialog) {
    if (!RunFavoritesFlow(settings, screen.startStation(), screen.endStation(), runDialog)) {
        return false;
    }
    screen.WriteForm();
    return true;
}

}  // namespace velomar
