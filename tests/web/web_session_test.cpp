// The page's calls on the sample timetables: each dialog's open and close run the core's
// sequences as the modal dialogs did, and the timetable pack lands whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "timetable/calendar_date.h"
#include "web/timetable_pack.h"
#include "web/web_session.h"

namespace velomar {
namespace {

struct Session {
    MemorySettingsBackend* settings = nullptr;
    std::unique_ptr<WebSession> session;

    Session() {
        auto store = std::make_unique<MemorySettingsBackend>();
        settings = store.get();
        session = std::make_unique<WebSession>(
            WebServices{std::move(store), VELOMAR_SOURCE_DIR "/data",
                        std::make_unique<FixedClock>(LocalTime{7, 0})});
    }
    std::uint32_t number(std::u16string_view name) {
        std::uint32_t value = 0;
        ReadNumberSetting(*settings, kSettingsRoot, kSettingsKeyPath, name, &value);
        return value;
    }
};

WebForm Form(std::u16string departure, std::u16string arrival, int hour) {
    return {std::move(departure), std::move(arrival), 0, hour, 0};
}

TEST(WebSession, APhoneStartsInPortraitWithTheDefaultsStored) {
    Session s;
    const MainView view = s.session->start(360, 640);
    EXPECT_EQ(view.layout, Layout::Portrait);
    EXPECT_EQ(view.form.departure, u"서울");
    EXPECT_EQ(view.form.hour, 7);
    EXPECT_EQ(s.number(kFirstRunMarkerName), kFirstRunMarker);
    EXPECT_EQ(s.number(kResultCountName), 14u);
}

TEST(WebSession, SidewaysTheSquareScreenRunsOnceBeforeThePortraitForm) {
    Session s;
    EXPECT_EQ(s.session->start(640, 360).layout, Layout::Square);
    EXPECT_EQ(s.number(kResultCountName), 9u);
    const MainView portrait = s.session->closeSquare(false, Form(u"부산", u"대전", 7));
    EXPECT_EQ(portrait.layout, Layout::Portrait);
    EXPECT_FALSE(portrait.ended);
    // Turned upright and sideways again: the square screen does not come back in this run.
    EXPECT_EQ(s.session->resize(360, 640).layout, Layout::Portrait);
    EXPECT_EQ(s.session->resize(640, 360).layout, Layout::Portrait);

    // Started upright, turned sideways: the square screen once, still square when turned
    // upright again while it runs; after it the portrait form of the upright phone.
    Session turned;
    turned.session->start(360, 640);
    EXPECT_EQ(turned.session->resize(640, 360).layout, Layout::Square);
    EXPECT_EQ(turned.session->resize(360, 640).layout, Layout::Square);
    EXPECT_EQ(turned.session->phone().screen, (ScreenSize{320, 320}));
    EXPECT_EQ(turned.session->closeSquare(false, Form(u"서울", u"대전", 7)).layout,
              Layout::Portrait);
    EXPECT_EQ(turned.session->phone().screen, (ScreenSize{480, 853}));

    Session ending;
    ending.session->start(640, 360);
    EXPECT_TRUE(ending.session->closeSquare(true, Form(u"서울", u"대전", 7)).ended);
    EXPECT_TRUE(ending.session->search(Form(u"서울", u"대전", 7)).ended);
}

TEST(WebSession, SearchPagesAndTheTappedTrainsStops) {
    Session s;
    s.session->start(390, 844);
    const MainView first = s.session->search(Form(u"서울", u"부산", 7));
    ASSERT_EQ(first.rows.size(), 14u);
    EXPECT_TRUE(first.messages.empty());
    const MainView next = s.session->next(first.form);
    ASSERT_FALSE(next.rows.empty());
    EXPECT_GT(next.rows[0].departure, first.rows[0].departure);
    EXPECT_LT(s.session->prev(next.form).rows[0].departure, next.rows[0].departure);

    const DetailView detail = s.session->detail(first.form, first.rows[0].slot);
    ASSERT_TRUE(detail.open);
    EXPECT_EQ(detail.stops.stationNames.front(), u"서울");
    EXPECT_EQ(detail.stops.stationNames.back(), u"부산");
    EXPECT_FALSE(s.session->detail(first.form, -1).open);

    const MainView none = s.session->search(Form(u"서울", u"없는역", 7));
    EXPECT_TRUE(none.rows.empty());
}

TEST(WebSession, ThePickersCloseRunsTheOpeningSequence) {
    Session s;
    s.session->start(360, 640);
    s.session->openPicker(true, false);
    s.session->pick(2, 1);  // 다: its second station
    const MainView picked = s.session->closePickerOnMain(true, Form(u"서울", u"대전", 7));
    EXPECT_NE(picked.form.departure, u"서울");
    EXPECT_EQ(picked.form.arrival, u"대전");

    // Typed into the arrival field, then the picker cancelled: the held text comes back.
    s.session->openPicker(true, false);
    const MainView cancelled =
        s.session->closePickerOnMain(false, Form(picked.form.departure, u"목포", 7));
    EXPECT_EQ(cancelled.form.arrival, u"대전");
}

TEST(WebSession, FavouritesAreAddedChosenAndDeleted) {
    Session s;
    s.session->start(360, 640);
    FavoritesView favorites = s.session->openFavorites();
    EXPECT_TRUE(favorites.rows.empty());
    favorites = s.session->favoritesAdd(u"부산", u"동대구");
    ASSERT_EQ(favorites.rows.size(), 1u);
    // "찾기" for the arrival end with a pick: the dialog's texts change, the rows stay.
    s.session->openPicker(false, true);
    s.session->pick(0, 0);
    favorites = s.session->closePickerOnFavorites(true);
    EXPECT_EQ(favorites.departure, u"부산");
    EXPECT_NE(favorites.arrival, u"동대구");
    favorites = s.session->favoritesClick(0);
    EXPECT_EQ(favorites.chosen, 0);
    const MainView chosen = s.session->closeFavorites(true, u"x", u"y", Form(u"서울", u"대전", 7));
    EXPECT_EQ(chosen.form.departure, u"부산");
    EXPECT_EQ(chosen.form.arrival, u"동대구");

    s.session->openFavorites();
    s.session->favoritesClick(0);
    EXPECT_TRUE(s.session->favoritesDelete().rows.empty());
    const MainView kept = s.session->closeFavorites(false, u"", u"", chosen.form);
    EXPECT_EQ(kept.form.departure, u"부산");
}

TEST(WebSession, OptionsStoreThePageSizeTheNextSearchUses) {
    Session s;
    s.session->start(412, 915);
    const OptionsView options = s.session->openOptions();
    ASSERT_EQ(options.entries.size(), 10u);
    EXPECT_EQ(options.entries[options.selection], u"14");
    s.session->optionsSelect(0);
    s.session->closeOptions(true);
    EXPECT_EQ(s.number(kResultCountName), 5u);
    EXPECT_EQ(s.session->search(Form(u"서울", u"부산", 7)).rows.size(), 5u);
    s.session->openOptions();
    s.session->optionsSelect(4);
    s.session->closeOptions(false);
    EXPECT_EQ(s.number(kResultCountName), 5u);
}

std::string Pack(std::initializer_list<std::pair<std::string, std::string>> files) {
    std::string pack = "velomar-timetables 1\n";
    for (const auto& [name, bytes] : files) {
        pack += name + "\n" + std::to_string(bytes.size()) + "\n" + bytes;
    }
    return pack;
}

TEST(TimetablePack, EveryFileLandsBelowTimeData) {
    const PackInstall installed = InstallTimetablePack(
        Pack({{"UpData_00.txt", "0001\t/\n="}, {"sheets/Dates.txt", ""}}), "/pack-ok");
    ASSERT_TRUE(installed.ok) << installed.error;
    EXPECT_EQ(installed.files, 2u);
    std::ifstream in("/pack-ok/TimeData/UpData_00.txt");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "0001\t/\n=");
}

TEST(TimetablePack, AnImportedSetsSourceIsShownAsItStands) {
    ASSERT_TRUE(InstallTimetablePack(Pack({{"SOURCE.txt", "feed: 코레일\nweek: 2024-05-06\n"}}),
                                     "/imported")
                    .ok);
    WebSession session(WebServices{std::make_unique<MemorySettingsBackend>(), "/imported",
                                   std::make_unique<FixedClock>(LocalTime{7, 0})});
    EXPECT_EQ(session.sourceText(), "feed: 코레일\nweek: 2024-05-06\n");
    Session samples;
    EXPECT_EQ(samples.session->sourceText(), "");
}

TEST(TimetablePack, ABadPackWritesNothing) {
    const std::string bad[] = {
        "not a pack",
        Pack({{"UpData_00.txt", "1234"}}).substr(0, 30),  // cut short
        Pack({{"UpData_01.txt", "x"}, {"../escape.txt", "x"}}),
        Pack({{"/etc/x", "x"}}),
        Pack({{"a//b", "x"}}),
    };
    for (const std::string& pack : bad) {
        EXPECT_FALSE(InstallTimetablePack(pack, "/pack-bad").ok) << pack;
    }
    EXPECT_FALSE(std::ifstream("/pack-bad/TimeData/UpData_01.txt").is_open());
}

// The samples beside a Dates.txt by which every train runs on weekdays only.
std::filesystem::path WeekdaySet() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "velomar-web-dated";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy(VELOMAR_SOURCE_DIR "/data/TimeData", folder / "TimeData");
    std::ofstream dates(folder / "TimeData/Dates.txt");
    dates << "velomar-dates 1\nperiod 20251201 20251231\npattern 1 1111100 20251201 20251231\n";
    for (const char* direction : {"Up", "Down"}) {
        for (int route = 0; route < 32; ++route) {
            dates << direction << "Data_" << route / 10 << route % 10 << ".txt";
            for (int column = 0; column < 79; ++column) {
                dates << " 1";
            }
            dates << '\n';
        }
    }
    return folder;
}

TEST(WebSession, TheDateOfADatedSetIsPickedAndAnsweredFor) {
    const int friday = *GtfsDayNumber("20251205");
    WebSession dated(WebServices{std::make_unique<MemorySettingsBackend>(), WeekdaySet(),
                                 std::make_unique<FixedClock>(LocalTime{7, 0}, friday)});
    const MainView start = dated.start(360, 640);
    ASSERT_TRUE(start.date.shown);
    EXPECT_EQ(start.date.entries,
              (std::vector<std::u16string>{u"오늘 12/5(금)", u"내일 12/6(토)", u"날짜 선택"}));
    EXPECT_EQ(start.date.selection, 0);
    EXPECT_FALSE(dated.search(Form(u"서울", u"대전", 7)).rows.empty());

    // Saturday: no train runs; picking searched nothing by itself.
    EXPECT_EQ(dated.pickDate(1).selection, 1);
    EXPECT_TRUE(dated.search(Form(u"서울", u"대전", 7)).rows.empty());

    // 날짜 선택 lists the period; Monday the 8th is answered for again.
    const DateView picker = dated.pickDate(2);
    ASSERT_TRUE(picker.openPicker);
    EXPECT_EQ(picker.days.size(), 31u);
    EXPECT_EQ(picker.startRow, 5);
    EXPECT_EQ(dated.pickDay(7).entries.front(), u"12/8(월)");
    EXPECT_FALSE(dated.search(Form(u"서울", u"대전", 7)).rows.empty());

    // The samples carry no dates: no date control.
    Session undated;
    EXPECT_FALSE(undated.session->start(360, 640).date.shown);
    EXPECT_FALSE(undated.session->pickDate(0).shown);
}

}  // namespace
}  // namespace velomar
