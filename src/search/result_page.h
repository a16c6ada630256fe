#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "search/train_ride.h"

namespace velomar {

inline constexpr std::size_t kPortraitCapacity = 14;
inline constexpr std::size_t kSquareCapacity = 9;

// One train on the page: the ride (departureKey, trainNo, typeLabel, routeCode) and its two
// times as the list shows them. A slot never touched by a search has every text empty; a
// search resets slots to the "empty slot" values (departureKey "9999", route code none).
struct ResultSlot : TrainRide {
    std::u16string departureText;  // DisplayTime of the departure cell
    std::u16string arrivalText;    // DisplayTime of the arrival cell

    bool empty() const { return departureKey.empty() || departureKey == u"9999"; }
    friend bool operator==(const ResultSlot&, const ResultSlot&) = default;
};

// The fixed slots of one main screen: 14 in the portrait layout, 9 in the square one.
struct ResultPage {
    explicit ResultPage(std::size_t capacity = kPortraitCapacity)
        : capacity(capacity > kPortraitCapacity ? kPortraitCapacity : capacity) {}

    // Not "slots": Qt defines that word as a macro.
    std::array<ResultSlot, kPortraitCapacity> resultSlots{};
    std::size_t capacity;
    bool anyFound = false;

    ResultSlot& operator[](std::size_t i) { return resultSlots[i]; }
    const ResultSlot& operator[](std::size_t i) const { return resultSlots[i]; }
};

}  // namespace velomar
