#include "cli/travel_time.h"

#include <cstdio>

#include "platform/utf8.h"

namespace velomar::cli {

namespace {

std::optional<int> minutesOfDay(std::u16string_view t) {
    if (t.size() != 5 || t[2] != u':') {
        return std::nullopt;
    }
    for (std::size_t i : {0u, 1u, 3u, 4u}) {
        if (t[i] < u'0' || t[i] > u'9') {
            return std::nullopt;
        }
    }
    return ((t[0] - u'0') * 10 + (t[1] - u'0')) * 60 + (t[3] - u'0') * 10 + (t[4] - u'0');
}

}  // namespace

std::optional<int> TravelMinutes(std::u16string_view departure, std::u16string_view arrival) {
    const auto from = minutesOfDay(departure);
    const auto to = minutesOfDay(arrival);
    if (!from || !to) {
        return std::nullopt;
    }
    return ((*to - *from) % 1440 + 1440) % 1440;
}

std::u16string DurationText(std::optional<int> minutes) {
    if (!minutes) {
        return u"";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", *minutes / 60, *minutes % 60);
    return *FromUtf8(text);
}

}  // namespace velomar::cli
