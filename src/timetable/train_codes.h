#pragma once

// The train codes of the timetable files (row 0 of the grid): day letters and type.

#include <array>
#include <string_view>

namespace velomar {

// The train-type list of the main screen, in order; the index is the typeIndex.
inline constexpr std::array<std::u16string_view, 6> kTrainTypeEntries = {
    u"전체 (ABCD:금토일월)", u"KTX", u"새마을", u"무궁화", u"통일호", u"누리로"};

struct TrainCodeInfo {
    std::u16string_view code;   // four characters: three day letters' flags, then the type
    std::u16string_view label;  // shown in the result list
    std::u16string_view type;   // one of kTrainTypeEntries[1..5]
};

// Every known train code, in the order lookups walk them.
inline constexpr std::array<TrainCodeInfo, 27> kTrainCodes = {{
    {u"0000", u"무궁화", u"무궁화"},  {u"0001", u"새마을", u"새마을"},
    {u"0002", u"KTX", u"KTX"},        {u"0003", u"통일호", u"통일호"},
    {u"0004", u"누리로", u"누리로"},  {u"0014", u"누(평일)", u"누리로"},
    {u"0020", u"(무)D", u"무궁화"},   {u"1000", u"(무)A", u"무궁화"},
    {u"0100", u"(무)B", u"무궁화"},   {u"0010", u"(무)C", u"무궁화"},
    {u"0110", u"(무)BC", u"무궁화"},  {u"1110", u"(무)ABC", u"무궁화"},
    {u"1010", u"(무)AC", u"무궁화"},  {u"0021", u"(새)D", u"새마을"},
    {u"1001", u"(새)A", u"새마을"},   {u"0101", u"(새)B", u"새마을"},
    {u"0011", u"(새)C", u"새마을"},   {u"0111", u"(새)BC", u"새마을"},
    {u"1111", u"(새)ABC", u"새마을"}, {u"1011", u"(새)AC", u"새마을"},
    {u"0022", u"(K)D", u"KTX"},       {u"1002", u"(K)A", u"KTX"},
    {u"0102", u"(K)B", u"KTX"},       {u"0012", u"(K)C", u"KTX"},
    {u"0112", u"(K)BC", u"KTX"},      {u"1112", u"(K)ABC", u"KTX"},
    {u"1012", u"(K)AC", u"KTX"},
}};

// The label of a train code; empty for a code the table does not know.
constexpr std::u16string_view TypeLabel(std::u16string_view code) {
    for (const TrainCodeInfo& info : kTrainCodes) {
        if (info.code == code) {
            return info.label;
        }
    }
    return {};
}

// The type a code belongs to ("KTX", "새마을", ...); empty when unknown.
constexpr std::u16string_view TrainTypeOf(std::u16string_view code) {
    for (const TrainCodeInfo& info : kTrainCodes) {
        if (info.code == code) {
            return info.type;
        }
    }
    return {};
}

}  // namespace velomar
