#pragma once

// The station picker without widgets: which end it serves, what each of the fourteen group
// lists shows, the result of the last pick, the per-layout control data, and the opening
// sequence its callers run around it.

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "network/station_directory.h"
#include "screens/dialog_template.h"
#include "screens/layout_rules.h"
#include "screens/main_screen.h"

namespace velomar {

inline constexpr int kPickerPortraitTemplate = 141;
inline constexpr int kPickerSquareTemplate = 203;
inline constexpr int kPickerEndLabelId = 1031;
inline constexpr std::u16string_view kPickerCaption = u"Velomar";
inline constexpr std::u16string_view kPickerOkText = u"선택";
inline constexpr std::u16string_view kPickerCancelText = u"취 소";  // the blank is intended
inline constexpr DuRect kPickerOkRect{16, 142, 42, 14};
inline constexpr DuRect kPickerCancelRect{65, 142, 42, 14};
inline constexpr int kPickerWidthDu = 122;
inline constexpr int kPickerHeightDu = 180;
// The size of each group's label ("가:"), in dialog units.
inline constexpr int kPickerLabelWidthDu = 14;
inline constexpr int kPickerLabelHeightDu = 10;

// One group list with its label, in both layouts. Lists are drop-down lists without typing,
// sorted, with a vertical scroll bar.
struct PickerListSpec {
    int group = 0;
    std::u16string_view label;  // "가:"
    int labelX = 0;
    int labelY = 0;
    DuRect list;  // height unused: the drop height depends on the layout
    int portraitId = 0;
    int squareId = 0;
    bool enabled = true;
    int portraitDropHeight = 0;
    int squareDropHeight = 0;
};

// Fourteen entries in group order (가 .. 하).
std::span<const PickerListSpec> PickerLists();
int PickerListId(Layout layout, int group);
int PickerDropHeight(Layout layout, int group);
// The group whose list has this control id in the layout; -1 for any other id.
int PickerGroupOfListId(Layout layout, int controlId);
int PickerFontPoints(Layout layout);
int PickerTemplateId(Layout layout);
// Template 141 (portrait) or 203 (square): size, caption and font of the dialog. Its controls
// are not items of the template but come from PickerLists() and the constants above.
const DialogTemplate& PickerTemplate(Layout layout);
// Pixels of the list that drops below a group's closed box: its drop height (the whole
// control when open) less the closed line; 0 for a group that does not exist.
int PickerDroppedListHeight(Layout layout, int group, DialogUnits units);

// The image label that names the served end ("출발역" / "도착역"), in client pixels.
struct PickerEndLabel {
    int bitmapId = 0;
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    friend bool operator==(const PickerEndLabel&, const PickerEndLabel&) = default;
};

// Portrait screens narrower than 320 get the 240 variant, narrower than 480 the 320 one,
// wider ones the 480 one. The square layout ignores the screen.
PickerEndLabel PickerEndLabelFor(Layout layout, int screenWidth, bool departure);

// The filler groups 라 and 카 are disabled and never produce a result.
bool PickerGroupEnabled(int group);

class StationPicker {
  public:
    StationPicker();

    // True: the picker serves the departure end. Call before showing.
    void SetStart(bool departure);
    bool servesDeparture() const { return m_departure; }

    // The row each list shows: row 0 after initialisation, which is not a pick.
    int shownRow(int group) const;
    std::u16string_view shownName(int group) const;

    // The user picked row `row` in list `group`. The served end's result becomes that entry.
    // Returns false (and changes nothing) for a disabled list or a row outside the group.
    bool selectionChanged(int group, int row);

    // Copy of the served end's result; empty name and code when nothing was picked.
    StationEntry GetStation() const;

  private:
    bool m_departure = false;
    StationEntry m_departureResult;
    StationEntry m_arrivalResult;
    std::array<int, kGroupCount> m_shownRows{};
};

struct PickerOutcome {
    bool accepted = false;  // "선택" rather than "취 소" or closing
    StationEntry station;
};

// Shows a picker modally for one end (the argument is what SetStart receives) and reports
// how it closed together with GetStation().
using PickerRunner = std::function<PickerOutcome(bool departure)>;

// The opening sequence both callers run on their held departure and arrival texts: codes in
// either text become names, the picker runs, and on "선택" a non-empty pick replaces the
// served end's text. Returns true when that text was replaced. Whatever the outcome, the
// caller then writes both texts back into its two station fields.
bool RunStationPicker(std::u16string& departure, std::u16string& arrival, bool forDeparture,
                      const PickerRunner& runPicker);

// The main screen's station buttons: the sequence on the held texts, then WriteForm.
template <typename Screen>
bool OpenStationPickerFrom(Screen& screen, bool forDeparture, const PickerRunner& runPicker) {
    const bool replaced =
        RunStationPicker(screen.startStation(), screen.endStation(), forDeparture, runPicker);
    screen.WriteForm();
    return replaced;
}

}  // namespace velomar
