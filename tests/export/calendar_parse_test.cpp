// The calendar event read back by libical, a maintained iCalendar parser.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <memory>
#include <string>

#include "export/calendar_event.h"

namespace velomar {
namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

TrainEvent LongNightTrain() {
    TrainEvent event{u"1227", u"(무)ABC", RouteCode(100), {}, "20100618", "20100617T093000Z"};
    const char16_t* names[] = {u"서울", u"영등포", u"수원", u"천안", u"조치원", u"대전",
                               u"김천", u"동대구", u"밀양", u"구포", u"부산"};
    const char16_t* cells[] = {u"2254", u"2303", u"2325", u"2358", u"3020", u"3049",
                               u"3150", u"3248", u"3337", u"3408", u"3415"};
    for (int i = 0; i < 11; ++i) {
        event.stops.push_back({names[i], u"0000", cells[i]});
    }
    return event;
}

TEST(CalendarParse, LibicalReadsTheEventBack) {
    const auto text = CalendarText(LongNightTrain());
    ASSERT_TRUE(text);
    // The description is long enough to be folded several times.
    ASSERT_NE(text->find("\r\n "), std::string::npos);
    const Component calendar(icalparser_parse_string(text->c_str()));
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(icalcomponent_isa(calendar.get()), ICAL_VCALENDAR_COMPONENT);
    EXPECT_EQ(icalcomponent_count_errors(calendar.get()), 0);

    icalcomponent* zone =
        icalcomponent_get_first_component(calendar.get(), ICAL_VTIMEZONE_COMPONENT);
    ASSERT_NE(zone, nullptr);
    icalproperty* zoneId = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
    ASSERT_NE(zoneId, nullptr);
    EXPECT_STREQ(icalproperty_get_tzid(zoneId), "Asia/Seoul");

    icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_NE(event, nullptr);
    EXPECT_STREQ(icalcomponent_get_uid(event), "20100618-100-1227-0000-0000@velomar.invalid");
    EXPECT_STREQ(icalcomponent_get_summary(event), "(무)ABC 1227 서울 → 부산");
    EXPECT_STREQ(icalcomponent_get_location(event), "서울");
    const std::string description = icalcomponent_get_description(event);
    EXPECT_EQ(description.substr(0, 26), "(무)ABC 1227\n서울 22:54");
    EXPECT_TRUE(description.ends_with("\n구포 04:08\n부산 04:15")) << description;

    icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    ASSERT_NE(start, nullptr);
    const char* startZone = icalproperty_get_parameter_as_string(start, "TZID");
    ASSERT_NE(startZone, nullptr);
    EXPECT_STREQ(startZone, "Asia/Seoul");
    const icaltimetype dtstart = icalproperty_get_dtstart(start);
    EXPECT_EQ(dtstart.year, 2010);
    EXPECT_EQ(dtstart.month, 6);
    EXPECT_EQ(dtstart.day, 18);
    EXPECT_EQ(dtstart.hour, 22);
    EXPECT_EQ(dtstart.minute, 54);
    // The arrival after midnight is on the next day.
    icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
    ASSERT_NE(end, nullptr);
    const icaltimetype dtend = icalproperty_get_dtend(end);
    EXPECT_EQ(dtend.day, 19);
    EXPECT_EQ(dtend.hour, 4);
    EXPECT_EQ(dtend.minute, 15);
    // Both in Korean time, nine hours ahead of UTC: 13:54 and 19:15 UTC.
    icaltimezone* seoul = icalcomponent_get_timezone(calendar.get(), "Asia/Seoul");
    ASSERT_NE(seoul, nullptr);
    icaltimetype local = dtstart;
    const icaltimetype utc = icaltime_convert_to_zone(icaltime_set_timezone(&local, seoul),
                                                      icaltimezone_get_utc_timezone());
    EXPECT_EQ(utc.hour, 13);
    EXPECT_EQ(utc.minute, 54);
}

}  // namespace
}  // namespace velomar
