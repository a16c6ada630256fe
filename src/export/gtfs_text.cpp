#include "export/gtfs_text.h"

#include <array>
#include <cstdio>

#include "timetable/service_time.h"
#include "timetable/train_codes.h"

namespace velomar {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

bool IsGtfsDate(std::string_view text) {
    return GtfsDayNumber(text).has_value();
}

std::string_view GtfsServiceOfDays(WeekDays days) {
    for (const GtfsService& service : kGtfsServices) {
        if (service.days == days) {
            return service.id;
        }
    }
    return "DAILY";
}

std::string_view GtfsServiceId(std::u16string_view trainCode) {
    if (TypeLabel(trainCode).empty()) {
        return "DAILY";
    }
    return GtfsServiceOfDays(DaysOfTrainCode(trainCode));
}

std::string GtfsTime(std::u16string_view cell) {
    const auto minutes = CellMinutes(cell);
    if (!minutes) {
        return {};
    }
    return TwoDigits(*minutes / 60) + ":" + TwoDigits(*minutes % 60) + ":00";
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

void CsvWriter::row(std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) {
            m_text += ',';
        }
        m_text += CsvField(field);
        first = false;
    }
    m_text += "\r\n";
}

}  // namespace velomar
