#include "screens/dialog_template.h"

#include <array>

#include "timetable/train_codes.h"

namespace velomar {
namespace {

using enum ItemClass;

constexpr std::array kPortraitItems{
    DialogItem{portrait_id::kTypeLabel, Button, u"열차종류", {1, 1, 35, 12}},
    DialogItem{portrait_id::kTypeList, DropDownList, u"", {38, 1, 81, 109}},
    DialogItem{portrait_id::kTimeLabel, Button, u"출발시간", {1, 16, 35, 12}},
    DialogItem{portrait_id::kHourList, DropDownList, u"", {38, 16, 26, 74}},
    DialogItem{portrait_id::kHourUnit, Static, u"시", {67, 18, 10, 8}},
    DialogItem{portrait_id::kMinuteList, DropDownList, u"", {79, 16, 26, 78}},
    DialogItem{portrait_id::kMinuteUnit, Static, u"분", {108, 18, 10, 8}},
    DialogItem{portrait_id::kDepartureButton, Button, u"출발역", {1, 32, 23, 12}},
    DialogItem{portrait_id::kDepartureField, Edit, u"", {27, 32, 30, 12}},
    DialogItem{portrait_id::kArrivalButton, Button, u"도착역", {62, 32, 23, 12}},
    DialogItem{portrait_id::kArrivalField, Edit, u"", {88, 32, 30, 12}},
    DialogItem{portrait_id::kPrev, Button, u"Prev", {1, 47, 18, 20}},
    DialogItem{portrait_id::kSearch, Button, u"Search", {19, 47, 74, 20}},
    DialogItem{portrait_id::kNext, Button, u"Next", {101, 47, 18, 20}},
    DialogItem{portrait_id::kResultList, ListView, u"", {1, 67, 118, 96}},
};

// The relayout templates list only what moves or may move; the result list grows.
constexpr std::array kPortraitTallItems{
    DialogItem{portrait_id::kTypeList, DropDownList, u"", {38, 1, 81, 109}},
    DialogItem{portrait_id::kHourList, DropDownList, u"", {38, 16, 26, 74}},
    DialogItem{portrait_id::kHourUnit, Static, u"시", {67, 18, 10, 8}},
    DialogItem{portrait_id::kMinuteList, DropDownList, u"", {79, 16, 26, 78}},
    DialogItem{portrait_id::kMinuteUnit, Static, u"분", {108, 18, 10, 8}},
    DialogItem{portrait_id::kDepartureField, Edit, u"", {27, 32, 30, 12}},
    DialogItem{portrait_id::kArrivalField, Edit, u"", {88, 32, 30, 12}},
    DialogItem{portrait_id::kResultList, ListView, u"", {1, 67, 118, 141}},
};

constexpr std::array kPortraitWideItems{
    DialogItem{portrait_id::kTypeList, DropDownList, u"", {38, 1, 81, 109}},
    DialogItem{portrait_id::kHourList, DropDownList, u"", {38, 16, 26, 74}},
    DialogItem{portrait_id::kHourUnit, Static, u"시", {67, 18, 10, 8}},
    DialogItem{portrait_id::kMinuteList, DropDownList, u"", {79, 16, 26, 78}},
    DialogItem{portrait_id::kMinuteUnit, Static, u"분", {109, 18, 10, 8}},
    DialogItem{portrait_id::kDepartureField, Edit, u"", {27, 32, 30, 12}},
    DialogItem{portrait_id::kArrivalField, Edit, u"", {88, 32, 30, 12}},
    DialogItem{portrait_id::kResultList, ListView, u"", {1, 67, 118, 140}},
};

constexpr std::array kSquareItems{
    DialogItem{square_id::kTypeLabel, Button, u"열차종류", {0, 3, 37, 12}},
    DialogItem{square_id::kTypeList, DropDownList, u"", {40, 3, 89, 109}},
    DialogItem{square_id::kTimeLabel, Button, u"출발시간", {0, 18, 32, 12}},
    DialogItem{square_id::kHourList, DropDownList, u"", {40, 18, 28, 74}},
    DialogItem{square_id::kHourUnit, Static, u"시", {70, 20, 10, 8}},
    DialogItem{square_id::kMinuteList, DropDownList, u"", {81, 18, 28, 74}},
    DialogItem{square_id::kMinuteUnit, Static, u"분", {111, 20, 10, 8}},
    DialogItem{square_id::kDepartureButton, Button, u"출발역", {0, 34, 26, 12}},
    DialogItem{square_id::kDepartureField, Edit, u"", {32, 34, 32, 13}},
    DialogItem{square_id::kArrivalButton, Button, u"도착역", {67, 34, 28, 12}},
    DialogItem{square_id::kArrivalField, Edit, u"", {97, 34, 32, 13}},
    DialogItem{square_id::kPrev, Button, u"Prev", {0, 50, 17, 18}},
    DialogItem{square_id::kSearch, Button, u"Search", {21, 50, 84, 20}},
    DialogItem{square_id::kNext, Button, u"Next", {111, 50, 17, 18}},
    DialogItem{square_id::kResultList, ListView, u"", {1, 73, 129, 93}},
    DialogItem{kStaticItemId, Icon, u"", {4, 169, 20, 20}},
    DialogItem{kStaticItemId, Static, kProductLine, {27, 170, 87, 8}},
    DialogItem{kStaticItemId, Static, kWebAddressLine, {27, 183, 87, 8}},
    // The handheld puts ok in the title bar; here it sits beside the product lines.
    DialogItem{square_id::kOk, Button, u"OK", {114, 168, 16, 11}},
    DialogItem{square_id::kCancel, Button, u"취소", {114, 181, 16, 11}},
};

constexpr std::array kAboutItems{
    DialogItem{kStaticItemId, Icon, u"", {4, 4, 20, 20}},
    DialogItem{about_id::kVersion, Static, kProductLine, {30, 6, 108, 8}},
    DialogItem{about_id::kWebAddress, Static, kWebAddressLine, {30, 16, 108, 8}},
    DialogItem{about_id::kEmail, Static, kEmailLine, {30, 26, 108, 8}},
    DialogItem{kStaticItemId,
               Static,
               u"열차 시간은 철도청 사정에 따라 바뀔 수 있습니다. 참고용으로만 사용하시기 "
               u"바랍니다. 그에따른 책임은 없음을 알려드립니다.",
               {4, 40, 135, 40}},
    DialogItem{kStaticItemId, GroupBox, u"Special Thanks", {4, 84, 135, 38}},
    DialogItem{kStaticItemId, Static, u"시간표를 함께 확인해 주신 분들", {10, 97, 125, 8}},
    DialogItem{kStaticItemId, Static, u"시험 사용에 참여해 주신 분들", {10, 108, 125, 8}},
    DialogItem{
        about_id::kLegal, Static, u"Velomar 개발자 제공. 보증 없이 배포됩니다.", {4, 128, 135, 16}},
    DialogItem{about_id::kOk, Button, u"OK", {46, 154, 50, 14}},
};

// The days of the period in one list, OK and 취소 under it.
constexpr std::array kDatePickerItems{
    DialogItem{date_picker_id::kDayList, ListView, u"", {2, 2, 66, 96}},
    DialogItem{date_picker_id::kOk, Button, u"OK", {2, 101, 32, 14}},
    DialogItem{date_picker_id::kCancel, Button, u"취소", {36, 101, 32, 14}},
};

constexpr std::array<DialogTemplate, 6> kTemplates{
    DialogTemplate{kAboutTemplate, 143, 176, u"Velomar 정보", u"System", 9, kAboutItems},
    DialogTemplate{kPortraitTemplate, 120, 164, u"", u"굴림", 10, kPortraitItems},
    DialogTemplate{kSquareTemplate, 131, 197, u"Dialog", u"굴림", 9, kSquareItems},
    DialogTemplate{kPortraitTallTemplate, 120, 214, u"", u"굴림", 10, kPortraitTallItems},
    DialogTemplate{kPortraitWideTemplate, 120, 218, u"", u"굴림", 10, kPortraitWideItems},
    DialogTemplate{kDatePickerTemplate, 70, 117, u"날짜 선택", u"굴림", 9, kDatePickerItems},
};

constexpr std::array<std::u16string_view, 24> kHourEntries{
    u"00", u"01", u"02", u"03", u"04", u"05", u"06", u"07", u"08", u"09", u"10", u"11",
    u"12", u"13", u"14", u"15", u"16", u"17", u"18", u"19", u"20", u"21", u"22", u"23",
};

constexpr std::array<std::u16string_view, 6> kMinuteEntries{
    u"00", u"10", u"20", u"30", u"40", u"50",
};

}  // namespace

const DialogItem* DialogTemplate::item(int itemId) const {
    for (const DialogItem& candidate : items) {
        if (candidate.id == itemId) {
            return &candidate;
        }
    }
    return nullptr;
}

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& dialog : kTemplates) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

std::span<const std::u16string_view> TrainTypeEntries() {
    return kTrainTypeEntries;
}
std::span<const std::u16string_view> HourEntries() {
    return kHourEntries;
}
std::span<const std::u16string_view> MinuteEntries() {
    return kMinuteEntries;
}

}  // namespace velomar
