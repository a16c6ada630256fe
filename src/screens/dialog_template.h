#pragma once

// Dialog templates kept as data: every screen is drawn from these items, and the portrait
// form is relaid out from the alternative ones. Rectangles are in dialog units.

#include <span>
#include <string_view>

namespace velomar {

// Ids of the templates the program carries.
inline constexpr int kAboutTemplate = 100;
inline constexpr int kPortraitTemplate = 101;
inline constexpr int kSquareTemplate = 189;
inline constexpr int kPortraitTallTemplate = 201;  // 240 x 400 screens
inline constexpr int kPortraitWideTemplate = 202;  // 480-wide screens
inline constexpr int kDatePickerTemplate = 300;    // "날짜 선택"

// The id shared by items nobody refers to (labels, icons, frames).
inline constexpr int kStaticItemId = 65535;

// A closed drop-down list is one line high, whatever height its item gives for it open.
inline constexpr int kClosedDropDownHeightDu = 12;

// Control ids of the two layouts.
namespace portrait_id {
inline constexpr int kTypeLabel = 1057;
inline constexpr int kTypeList = 1001;
inline constexpr int kTimeLabel = 1056;
inline constexpr int kHourList = 1002;
inline constexpr int kHourUnit = 1046;
inline constexpr int kMinuteList = 1003;
inline constexpr int kMinuteUnit = 1047;
inline constexpr int kDepartureButton = 1013;
inline constexpr int kDepartureField = 1011;
inline constexpr int kArrivalButton = 1014;
inline constexpr int kArrivalField = 1012;
inline constexpr int kPrev = 1052;
inline constexpr int kSearch = 1053;
inline constexpr int kNext = 1030;
inline constexpr int kResultList = 1028;
}  // namespace portrait_id

namespace square_id {
inline constexpr int kTypeLabel = 1058;
inline constexpr int kTypeList = 1065;
inline constexpr int kTimeLabel = 1059;
inline constexpr int kHourList = 1066;
inline constexpr int kHourUnit = 1067;
inline constexpr int kMinuteList = 1069;
inline constexpr int kMinuteUnit = 1071;
inline constexpr int kDepartureButton = 1060;
inline constexpr int kDepartureField = 1068;
inline constexpr int kArrivalButton = 1061;
inline constexpr int kArrivalField = 1070;
inline constexpr int kPrev = 1062;
inline constexpr int kSearch = 1063;
inline constexpr int kNext = 1064;
inline constexpr int kResultList = 1072;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
}  // namespace square_id

namespace date_picker_id {
inline constexpr int kDayList = 1080;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
}  // namespace date_picker_id

namespace about_id {
inline constexpr int kVersion = 202;
inline constexpr int kWebAddress = 203;
inline constexpr int kLegal = 204;
inline constexpr int kEmail = 205;
inline constexpr int kOk = 1;
}  // namespace about_id

enum class ItemClass {
    Button,        // push button (owner-drawn tiles included)
    Static,        // text
    Icon,          // static showing the application icon
    GroupBox,      // frame with a caption
    Edit,          // single-line edit
    DropDownList,  // drop-down list, no typing
    ListView,      // report-style list
};

struct DuRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const DuRect&, const DuRect&) = default;
};

struct DialogItem {
    int id = kStaticItemId;
    ItemClass itemClass = ItemClass::Static;
    std::u16string_view text;
    DuRect rect;
};

struct DialogTemplate {
    int id = 0;
    int width = 0;  // dialog units
    int height = 0;
    std::u16string_view caption;
    std::u16string_view fontFace;
    int fontPointSize = 0;
    std::span<const DialogItem> items;

    const DialogItem* item(int itemId) const;
};

// Nothing for an id the program does not carry.
const DialogTemplate* FindDialogTemplate(int id);

// Entries the three lists get when a main-screen template is loaded (both layouts).
std::span<const std::u16string_view> TrainTypeEntries();
std::span<const std::u16string_view> HourEntries();    // "00" .. "23"
std::span<const std::u16string_view> MinuteEntries();  // "00", "10", .. "50"

// Texts of lines whose content the program chooses itself.
inline constexpr std::u16string_view kProductLine = u"Velomar 버전 0.4";
inline constexpr std::u16string_view kWebAddressLine = u"http://velomar.example";
inline constexpr std::u16string_view kEmailLine = u"help@velomar.example";

}  // namespace velomar
