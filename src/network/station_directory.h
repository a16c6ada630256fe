#pragma once

#include <span>
#include <string_view>

namespace velomar {

// One station as the picker offers it.
struct StationEntry {
    std::u16string_view name;
    std::u16string_view code;
};

// Fourteen groups, one per plain initial consonant, in dictionary order (가 나 다 ... 하).
inline constexpr int kGroupCount = 14;

std::u16string_view GroupLabel(int g);
int GroupSize(int g);
// Precondition: 0 <= g < kGroupCount and 0 <= i < GroupSize(g).
const StationEntry& GroupEntry(int g, int i);

}  // namespace velomar
