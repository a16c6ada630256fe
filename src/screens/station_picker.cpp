#include "screens/station_picker.h"

#include <algorithm>

#include "network/route_table.h"

namespace velomar {

namespace {

constexpr std::array<PickerListSpec, kGroupCount> kLists{{
    {0, u"가:", 4, 26, {18, 23, 41, 0}, 1010, 1073, true, 139, 90},
    {1, u"나:", 62, 25, {75, 23, 41, 0}, 1011, 1080, true, 146, 92},
    {2, u"다:", 4, 41, {18, 38, 41, 0}, 1012, 1074, true, 139, 77},
    {3, u"라:", 62, 40, {75, 38, 41, 0}, 1013, 1081, false, 146, 146},
    {4, u"마:", 4, 56, {18, 53, 41, 0}, 1014, 1075, true, 120, 80},
    {5, u"바:", 62, 56, {75, 53, 41, 0}, 1015, 1082, true, 120, 81},
    {6, u"사:", 4, 71, {18, 68, 41, 0}, 1016, 1076, true, 105, 90},
    {7, u"아:", 62, 71, {75, 69, 41, 0}, 1017, 1083, true, 104, 87},
    {8, u"자:", 4, 86, {18, 83, 41, 0}, 1018, 1077, true, 106, 106},
    {9, u"차:", 62, 86, {75, 84, 41, 0}, 1019, 1084, true, 105, 105},
    {10, u"카:", 4, 101, {18, 98, 41, 0}, 1020, 1078, false, 91, 91},
    {11, u"타:", 62, 101, {75, 99, 41, 0}, 1021, 1085, true, 90, 90},
    {12, u"파:", 4, 116, {18, 113, 41, 0}, 1022, 1079, true, 60, 60},
    {13, u"하:", 62, 116, {75, 114, 41, 0}, 1023, 1086, true, 59, 59},
}};

bool validGroup(int group) {
    return group >= 0 && group < kGroupCount;
}

const DialogTemplate kPortraitPicker{
    kPickerPortraitTemplate, kPickerWidthDu, kPickerHeightDu, kPickerCaption, u"굴림", 10, {}};
const DialogTemplate kSquarePicker{
    kPickerSquareTemplate, kPickerWidthDu, kPickerHeightDu, kPickerCaption, u"굴림", 9, {}};

}  // namespace

std::span<const PickerListSpec> PickerLists() {
    return kLists;
}

int PickerListId(Layout layout, int group) {
    if (!validGroup(group)) {
        return -1;
    }
    const PickerListSpec& listSpec = kLists[static_cast<std::size_t>(group)];
    return layout == Layout::Portrait ? listSpec.portraitId : listSpec.squareId;
}

int PickerDropHeight(Layout layout, int group) {
    if (!validGroup(group)) {
        return 0;
    }
    const PickerListSpec& listSpec = kLists[static_cast<std::size_t>(group)];
    return layout == Layout::Portrait ? listSpec.portraitDropHeight : listSpec.squareDropHeight;
}

int PickerGroupOfListId(Layout layout, int controlId) {
    for (const PickerListSpec& listSpec : kLists) {
        if ((layout == Layout::Portrait ? listSpec.portraitId : listSpec.squareId) == controlId) {
            return listSpec.group;
        }
    }
    return -1;
}

int PickerFontPoints(Layout layout) {
    return PickerTemplate(layout).fontPointSize;
}

int PickerTemplateId(Layout layout) {
    return PickerTemplate(layout).id;
}

const DialogTemplate& PickerTemplate(Layout layout) {
    return layout == Layout::Portrait ? kPortraitPicker : kSquarePicker;
}

int PickerDroppedListHeight(Layout layout, int group, DialogUnits units) {
    const auto open = ToPixels({0, 0, 0, PickerDropHeight(layout, group)}, units);
    const auto closed = ToPixels({0, 0, 0, kClosedDropDownHeightDu}, units);
    if (!validGroup(group) || !open || !closed) {
        return 0;
    }
    return std::max(0, open->height - closed->height);
}

PickerEndLabel PickerEndLabelFor(Layout layout, int screenWidth, bool departure) {
    if (layout == Layout::Portrait && screenWidth < 320) {
        return {departure ? 159 : 158, 50, 20, 10, 10};
    }
    if (layout == Layout::Portrait && screenWidth >= 480) {
        return {departure ? 149 : 148, 96, 38, 30, 10};
    }
    return {departure ? 176 : 175, 65, 24, 30, 10};
}

bool PickerGroupEnabled(int group) {
    return validGroup(group) && kLists[static_cast<std::size_t>(group)].enabled;
}

StationPicker::StationPicker() = default;

void StationPicker::SetStart(bool departure) {
    m_departure = departure;
}

int StationPicker::shownRow(int group) const {
    return validGroup(group) ? m_shownRows[static_cast<std::size_t>(group)] : -1;
}

std::u16string_view StationPicker::shownName(int group) const {
    if (!validGroup(group)) {
        return {};
    }
    return GroupEntry(group, m_shownRows[static_cast<std::size_t>(group)]).name;
}

bool StationPicker::selectionChanged(int group, int row) {
    if (!PickerGroupEnabled(group) || row < 0 || row >= GroupSize(group)) {
        return false;
    }
    m_shownRows[static_cast<std::size_t>(group)] = row;
    (m_departure ? m_departureResult : m_arrivalResult) = GroupEntry(group, row);
    return true;
}

StationEntry StationPicker::GetStation() const {
    return m_departure ? m_departureResult : m_arrivalResult;
}

bool RunStationPicker(std::u16string& departure, std::u16string& arrival, bool forDeparture,
                      const PickerRunner& runPicker) {
    // The held texts may be codes left by the detail view; the fields must show names.
    departure = StationCodeToName(departure);
    arrival = StationCodeToName(arrival);
    if (!runPicker) {
        return false;
    }
    const PickerOutcome outcome = runPicker(forDeparture);
    if (!outcome.accepted || outcome.station.name.empty()) {
        return false;
    }
    (forDeparture ? departure : arrival) = std::u16string(outcome.station.name);
    return true;
}

}  // namespace velomar
