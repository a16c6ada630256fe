// Bad input at every entry point: the command line, the Qt-free main screen, favourites, the
// settings operations and the timetable reader. Each case names its input, the expected
// outcome and message, and afterwards every value seeded into the store is compared: a bad
// call may change only what the rules say it stores.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/utf8.h"
#include "screens/favorites.h"
#include "screens/main_screen.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "support/timetable_world.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"

namespace velomar {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// ---- What the store holds, compared whole ---------------------------------------------

using Snapshot = std::map<std::u16string, std::pair<std::uint32_t, std::vector<std::byte>>>;

Snapshot snapshotOf(SettingsBackend& store) {
    Snapshot all;
    if (auto key =
            store.openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing)) {
        for (const StoredValue& value : key->values()) {
            all[FoldNameCase(value.name)] = {value.type, value.data};
        }
    }
    return all;
}

std::vector<std::byte> textBytes(std::u16string_view text) {
    std::vector<std::byte> bytes;
    for (char16_t unit : text) {
        bytes.push_back(std::byte(unit & 0xFF));
        bytes.push_back(std::byte(unit >> 8));
    }
    bytes.push_back(std::byte{0});
    bytes.push_back(std::byte{0});
    return bytes;
}

// The seeded values, as each case expects them afterwards: `changes` are text values the
// rules store on that path.
Snapshot expectedAfter(Snapshot before, const std::map<std::u16string, std::u16string>& changes) {
    for (const auto& [name, text] : changes) {
        before[FoldNameCase(name)] = {static_cast<std::uint32_t>(ValueType::Text), textBytes(text)};
    }
    return before;
}

void seed(SettingsBackend& store) {
    auto text = [&](std::u16string_view name, std::u16string_view value) {
        ASSERT_TRUE(WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, value));
    };
    auto number = [&](std::u16string_view name, std::uint32_t value) {
        ASSERT_TRUE(WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, name, value));
    };
    number(kFirstRunMarkerName, kFirstRunMarker);
    text(kStartStationName, u"문산");
    text(kEndStationName, u"도라산");
    number(kResultCountName, 7);
    number(kFavoriteCountName, 0);
    text(u"FS0", u"문산");
    text(u"FE0", u"임진강");
}

// Station texts of a given length in UTF-16 units.
std::u16string units(std::size_t count) {
    return std::u16string(count, u'가');
}
const std::u16string kEmoji = u"😀";  // one code point, two units

// The texts a station field can be given; names are test-name safe.
struct StationText {
    const char* name;
    std::u16string text;
};

std::vector<StationText> badStationTexts() {
    return {
        {"Empty", u""},
        {"Units19", units(19)},
        {"Units20", units(20)},
        {"Units200", units(200)},
        {"Emoji", kEmoji + kEmoji},
        {"EmojiEndsAtUnit19", units(17) + kEmoji},
        {"EmojiCutAtUnit20", units(18) + kEmoji},
        {"Tab", u"서\t울"},
        {"NulInside", u"서\0울"s},
        {"Escape", u"\x1b[31m서울"},
        {"Newline", u"서울\n부산"},
        {"OnlySpaces", u"   "},
    };
}

// What the start-up restores from a stored text: up to 19 units come back (up to a NUL
// inside, as from any text read into a fixed room); longer texts do not fit and the field
// keeps its default.
std::u16string restored(const std::u16string& stored) {
    if (stored.size() > kStationTextCapacity - 1) {
        return u"서울";
    }
    return std::u16string(stored.c_str());
}

// ---- The Qt-free main screen -----------------------------------------------------------

struct MainScreenWorld {
    testing_support::TimetableWorld world;
    FixedClock clock{{7, 0}};
    ResultRows list;
    Layout layout;

    explicit MainScreenWorld(Layout l) : layout(l) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
        seed(world.settings);
    }
    MainScreen screen() {
        const ScreenSize size =
            layout == Layout::Portrait ? ScreenSize{480, 800} : ScreenSize{320, 320};
        return MainScreen(layout,
                          {world.settings, world.directory, world.grid, world.messages, clock, size,
                           world.squareDialogShown},
                          list);
    }
    std::vector<std::u16string> messageTexts() const {
        std::vector<std::u16string> texts;
        for (const Message& m : world.messages.messages) {
            texts.push_back(m.text);
        }
        return texts;
    }
};

struct MainScreenCase {
    StationText departure;
    Layout layout;
};

class MainScreenBadStation : public testing::TestWithParam<MainScreenCase> {};

TEST_P(MainScreenBadStation, SearchesRefusesOrStoresByTheRulesAndLosesNothingElse) {
    const auto& [departure, layout] = GetParam();
    MainScreenWorld w(layout);
    const Snapshot before = snapshotOf(w.world.settings);
    {
        MainScreen main = w.screen();
        main.startUp();
        ASSERT_EQ(main.form().departureField, u"문산");
        main.form().departureField = departure.text;
        main.search();
    }
    // No route serves a made-up station: the portrait screen ends the search there and
    // stores nothing; the square one goes on and stores the pair as typed.
    std::vector<std::u16string> expected;
    if (departure.text.empty()) {
        expected.push_back(u"출발역이 없습니다.");
    }
    expected.push_back(u"열차를 찾을 수 없습니다.");
    if (layout == Layout::Square) {
        expected.push_back(u"열차가 없습니다.");
    }
    EXPECT_EQ(w.messageTexts(), expected);
    EXPECT_TRUE(w.list.rows.empty());
    std::map<std::u16string, std::u16string> changes;
    if (layout == Layout::Square) {
        changes[std::u16string(kStartStationName)] = departure.text;
    }
    EXPECT_EQ(snapshotOf(w.world.settings), expectedAfter(before, changes));

    // The next start restores what fits the reader's room, whole: never half a pair.
    MainScreen next = w.screen();
    next.startUp();
    const std::u16string shown = layout == Layout::Square ? restored(departure.text) : u"문산";
    EXPECT_EQ(next.form().departureField, shown);
    EXPECT_EQ(next.form().arrivalField, u"도라산");
    EXPECT_EQ(ToUtf8(shown).find("\xef\xbf\xbd"), std::string::npos) << "a lone surrogate";
    changes[std::u16string(kStartStationName)] = shown;
    EXPECT_EQ(snapshotOf(w.world.settings), expectedAfter(before, changes));
}

std::vector<MainScreenCase> mainScreenCases() {
    std::vector<MainScreenCase> cases;
    for (const StationText& text : badStationTexts()) {
        cases.push_back({text, Layout::Portrait});
        cases.push_back({text, Layout::Square});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Texts, MainScreenBadStation, testing::ValuesIn(mainScreenCases()),
                         [](const testing::TestParamInfo<MainScreenCase>& info) {
                             return std::string(info.param.departure.name) +
                                    (info.param.layout == Layout::Portrait ? "Portrait" : "Square");
                         });

// ---- Favourites: any text is stored as typed and survives the pairs moving down --------

class FavoritesBadText : public testing::TestWithParam<StationText> {};

TEST_P(FavoritesBadText, IsStoredWholeAndKeptWhenAnEarlierPairIsDeleted) {
    const std::u16string& text = GetParam().text;
    MemorySettingsBackend store;
    seed(store);
    RecordingMessageSink messages;
    const Snapshot before = snapshotOf(store);

    Favorites dialog(store, messages);
    dialog.start();
    ASSERT_EQ(dialog.add(text, u"도라산" + text), FavoriteAddOutcome::Added);
    EXPECT_TRUE(messages.messages.empty());
    Snapshot added = expectedAfter(before, {{u"FS1", text}, {u"FE1", u"도라산" + text}});
    added[FoldNameCase(kFavoriteCountName)].second = {std::byte{1}, std::byte{0}, std::byte{0},
                                                      std::byte{0}};
    EXPECT_EQ(snapshotOf(store), added);

    // A new opening lists what fits the readers' room; longer texts show as empty.
    Favorites reopened(store, messages);
    reopened.start();
    ASSERT_EQ(reopened.rows().size(), 2u);
    auto shown = [](const std::u16string& t) {
        return t.size() < kStationTextCapacity ? std::u16string(t.c_str()) : std::u16string();
    };
    EXPECT_EQ(reopened.rows()[1], (FavoritePair{shown(text), shown(u"도라산" + text)}));

    // Deleting pair 0 moves pair 1 down whole, however long its texts are.
    reopened.rowClicked(0);
    ASSERT_EQ(reopened.remove(), FavoriteDeleteOutcome::Deleted);
    Snapshot moved = expectedAfter(before, {{u"FS0", std::u16string(text.c_str())},
                                            {u"FE0", u"도라산" + std::u16string(text.c_str())}});
    EXPECT_EQ(snapshotOf(store), moved);
}

INSTANTIATE_TEST_SUITE_P(Texts, FavoritesBadText, testing::ValuesIn(badStationTexts()),
                         [](const testing::TestParamInfo<StationText>& info) {
                             return std::string(info.param.name);
                         });

// ---- The five settings operations with bad arguments -----------------------------------

struct StoreCase {
    const char* name;
    bool (*call)(SettingsBackend&);
    bool succeeds;
    std::map<std::u16string, std::u16string> changes;
};

const StoreCase kStoreCases[] = {
    {"ReadTextWithoutBuffer",
     [](SettingsBackend& s) {
         return ReadTextSetting(s, kSettingsRoot, kSettingsKeyPath, kStartStationName, nullptr, 20);
     },
     false,
     {}},
    {"ReadTextIntoNoRoom",
     [](SettingsBackend& s) {
         char16_t guard = u'p';
         const bool ok =
             ReadTextSetting(s, kSettingsRoot, kSettingsKeyPath, kStartStationName, &guard, 0);
         return ok || guard != u'p';  // a room of 0 must not be written at all
     },
     false,
     {}},
    {"ReadTextIntoOneUnit",
     [](SettingsBackend& s) {
         char16_t room[2] = {u'p', u'q'};
         const bool ok =
             ReadTextSetting(s, kSettingsRoot, kSettingsKeyPath, kStartStationName, room, 1);
         return ok || room[0] != u'\0' || room[1] != u'q';
     },
     false,
     {}},
    {"ReadNumberWithoutOutput",
     [](SettingsBackend& s) {
         return ReadNumberSetting(s, kSettingsRoot, kSettingsKeyPath, kResultCountName, nullptr);
     },
     false,
     {}},
    {"ReadTextAsNumber",
     [](SettingsBackend& s) {
         std::uint32_t out = 99;
         const bool ok =
             ReadNumberSetting(s, kSettingsRoot, kSettingsKeyPath, kStartStationName, &out);
         return ok || out != 0;
     },
     false,
     {}},
    {"DeleteMissingValue",
     [](SettingsBackend& s) {
         return DeleteSetting(s, kSettingsRoot, kSettingsKeyPath, u"NoSuchValue");
     },
     false,
     {}},
    {"DeleteInAnotherKey",
     [](SettingsBackend& s) {
         return DeleteSetting(s, kSettingsRoot, u"Software\\Other", kStartStationName);
     },
     false,
     {}},
    {"ReadMissingNameWith200Units",
     [](SettingsBackend& s) {
         char16_t room[20] = {};
         return ReadTextSetting(s, kSettingsRoot, kSettingsKeyPath, units(200), room, 20);
     },
     false,
     {}},
    {"WriteNameWithNulInside",
     [](SettingsBackend& s) {
         return WriteTextSetting(s, kSettingsRoot, kSettingsKeyPath, u"Start\0Station"s, u"x");
     },
     true,
     {{u"Start\0Station"s, u"x"}}},
    {"WriteTextWithNulInside",
     [](SettingsBackend& s) {
         return WriteTextSetting(s, kSettingsRoot, kSettingsKeyPath, u"Other", u"a\0b"s);
     },
     true,
     {{u"Other", u"a\0b"s}}},
};

class SettingsStoreBadArguments : public testing::TestWithParam<StoreCase> {};

TEST_P(SettingsStoreBadArguments, FailOrSucceedWithoutTouchingOtherValues) {
    for (const bool sqlite : {false, true}) {
        SCOPED_TRACE(sqlite ? "sqlite" : "memory");
        std::unique_ptr<SettingsBackend> store;
        const fs::path file = fs::temp_directory_path() /
                              ("velomar_bad_store_" + std::to_string(::getpid()) + ".sqlite3");
        fs::remove(file);
        if (sqlite) {
            store = SqliteSettingsBackend::Open(file);
        } else {
            store = std::make_unique<MemorySettingsBackend>();
        }
        seed(*store);
        const Snapshot before = snapshotOf(*store);
        EXPECT_EQ(GetParam().call(*store), GetParam().succeeds);
        EXPECT_EQ(snapshotOf(*store), expectedAfter(before, GetParam().changes));
        store.reset();
        fs::remove(file);
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, SettingsStoreBadArguments, testing::ValuesIn(kStoreCases),
                         [](const testing::TestParamInfo<StoreCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- The timetable reader on places that are not readable files ------------------------

class TimetableReaderBadPlace : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_bad_reader_" + std::to_string(random()));
        fs::create_directories(m_root / "TimeData");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(m_root / "TimeData" / "UpData_00.txt", fs::perms::owner_all,
                        fs::perm_options::add, ignored);
        fs::remove_all(m_root, ignored);
    }
    // What the search and the detail see: nothing, and the load's message.
    void expectUnreadable(const fs::path& base) {
        DiskFileReader reader;
        const TimetableDirectory directory(reader, base);
        EXPECT_FALSE(directory.openSource(0, Direction::Up));
        RecordingMessageSink messages;
        CurrentTimetableFile current;
        ASSERT_TRUE(OpenTimetableFile(directory, 0, Direction::Up, current, messages));
        TimetableGrid grid;
        EXPECT_FALSE(LoadTimetableGrid(current, grid, messages));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, u"Read Data File Error");
    }
    fs::path entry() const { return m_root / "TimeData" / "UpData_00.txt"; }
    fs::path m_root;
};

TEST_F(TimetableReaderBadPlace, DataFolderThatDoesNotExist) {
    expectUnreadable(m_root / "no-such-folder");
}

TEST_F(TimetableReaderBadPlace, DataFolderThatIsAFile) {
    std::ofstream(m_root / "plain.txt") << "x";
    expectUnreadable(m_root / "plain.txt");
}

TEST_F(TimetableReaderBadPlace, EntryThatIsADirectory) {
    fs::create_directory(entry());
    expectUnreadable(m_root);
}

TEST_F(TimetableReaderBadPlace, EntryThatIsASymlinkLoop) {
    fs::create_symlink(entry(), entry());
    expectUnreadable(m_root);
}

TEST_F(TimetableReaderBadPlace, EntryThatIsAPipeDoesNotBlock) {
    ASSERT_EQ(::mkfifo(entry().c_str(), 0600), 0);
    expectUnreadable(m_root);
}

TEST_F(TimetableReaderBadPlace, EntryWithoutReadPermission) {
    std::ofstream(entry(), std::ios::binary) << "TYPE\t0000\t/\r\n=";
    fs::permissions(entry(), fs::perms::none);
    // Root reads through permissions; only where they hold is this case meaningful.
    if (const int fd = ::open(entry().c_str(), O_RDONLY); fd >= 0) {
        ::close(fd);
        GTEST_SKIP() << "permissions do not stop this user (root?) from reading";
    }
    expectUnreadable(m_root);
}

}  // namespace

// ---- The command line ------------------------------------------------------------------

namespace cli {
namespace {

struct CliCase {
    std::string name;
    // "@ROOT@" stands for the case's own folder (data in @ROOT@/TimeData, the seeded store
    // in @ROOT@/settings.sqlite3). Unless `ownGlobals`, --data and --settings come first.
    std::vector<std::string> args;
    int status;
    std::string errContains;  // a part of standard error; "" when it must stay empty
    std::map<std::u16string, std::u16string> changes = {};
    const char* outContains = nullptr;  // nothing: standard output stays empty
    bool ownGlobals = false;
};

// 경의선, route 6: the Down file runs 문산(0401) - 임진강(0402) - 도라산(0403); the Up file
// is a directory, not a file.
constexpr std::string_view kRoute6Down =
    "TYPE\t0000\t0002\t/\r\n"
    "TRNO\t0101\t0102\t/\r\n"
    "0401\t0710\t0810\t/\r\n"
    "0402\t0725\t9999\t/\r\n"
    "0403\t0740\t0840\t/\r\n"
    "=";

class CliBadInput : public testing::TestWithParam<CliCase> {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_bad_cli_" + std::to_string(random()));
        fs::create_directories(m_root / "TimeData" / "UpData_06.txt");
        std::ofstream(m_root / "TimeData" / "DownData_06.txt", std::ios::binary) << kRoute6Down;
        auto store = SqliteSettingsBackend::Open(settingsFile());
        seed(*store);
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path settingsFile() const { return m_root / "settings.sqlite3"; }
    Snapshot stored() const { return snapshotOf(*SqliteSettingsBackend::Open(settingsFile())); }

    std::string expand(std::string arg) const {
        for (auto at = arg.find("@ROOT@"); at != std::string::npos; at = arg.find("@ROOT@")) {
            arg.replace(at, 6, m_root.string());
        }
        return arg;
    }

    fs::path m_root;
};

// Standard error stays readable whatever came in: UTF-8, no control characters but line ends.
bool terminalSafe(const std::string& text) {
    if (!FromUtf8(text)) {
        return false;
    }
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\n') || c == 0x7F) {
            return false;
        }
    }
    return true;
}

void PrintTo(const CliCase& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(CliBadInput, ExitsWithAClearMessageAndLosesNoStoredValue) {
    const CliCase& c = GetParam();
    const Snapshot before = stored();
    std::vector<std::string> args;
    if (!c.ownGlobals) {
        args = {"--data", m_root.string(), "--settings", settingsFile().string()};
    }
    for (const std::string& arg : c.args) {
        args.push_back(expand(arg));
    }
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, out, err);

    EXPECT_EQ(status, c.status) << err.str();
    if (c.errContains.empty()) {
        EXPECT_EQ(err.str(), "");
    } else {
        EXPECT_NE(err.str().find(expand(c.errContains)), std::string::npos) << err.str();
    }
    EXPECT_TRUE(terminalSafe(err.str())) << err.str();
    if (c.outContains == nullptr) {
        EXPECT_EQ(out.str(), "");
    } else {
        EXPECT_NE(out.str().find(c.outContains), std::string::npos) << out.str();
    }
    EXPECT_EQ(stored(), expectedAfter(before, c.changes));
}

const std::string kBadUtf8[][2] = {
    {"NotUtf8", "\xff\xfe"},
    {"LoneContinuation", "\x80"},
    {"Overlong", "\xc0\xaf"},
    {"EncodedSurrogate", "\xed\xa0\x80"},
};

// How each bad sequence shows in a message.
std::string escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
    }
    return out;
}

const std::string kNotUtf8Message = "is not valid UTF-8 text";
const std::string kTypeMessage =
    "--type must be 0-5 or one of 전체, KTX, 새마을, 무궁화, 통일호, 누리로";
const std::string kTimeMessage = "--time must be HH:MM from 00:00 to 23:59";
const std::string kCodeMessage =
    "ROUTE_CODE must be 0-31 (Up file of that route) or 100-131 (Down file of route "
    "ROUTE_CODE - 100)";
const std::string kNoRoute = "Info: 열차를 찾을 수 없습니다.\n";
const std::string kReadError = "Velomar: Read Data File Error\n";
const std::string kCannotOpen = "cannot be opened";

std::vector<CliCase> cliCases() {
    std::vector<CliCase> cases;
    for (const auto& [name, bytes] : kBadUtf8) {
        const std::string n = name;
        const std::string shown = "'" + escaped(bytes) + "' " + kNotUtf8Message;
        cases.push_back({n + "SearchFrom", {"search", bytes, "도라산"}, 2, shown});
        cases.push_back(
            {n + "SearchTo", {"search", "문산", bytes, "--layout", "square"}, 2, shown});
        cases.push_back({n + "Routes", {"routes", "문산", bytes}, 2, shown});
        cases.push_back({n + "DetailFrom", {"detail", bytes, "도라산", "0101", "106"}, 2, shown});
        cases.push_back(
            {n + "DetailTrainNo", {"detail", "문산", "도라산", bytes, "106"}, 2, shown});
        cases.push_back({n + "SettingsGet", {"settings", "get", bytes}, 2, shown});
        cases.push_back({n + "SettingsDelete", {"settings", "delete", bytes}, 2, shown});
        cases.push_back(
            {n + "SettingsSetName", {"settings", "set", "--text", bytes, "x"}, 2, shown});
        cases.push_back({n + "SettingsSetValue",
                         {"settings", "set", "--text", "StartStation", bytes},
                         2,
                         shown});
        cases.push_back({n + "Command", {bytes}, 2, "unknown command '" + escaped(bytes) + "'"});
        cases.push_back({n + "Type",
                         {"search", "--type", bytes},
                         2,
                         kTypeMessage + ", not '" + escaped(bytes)});
        cases.push_back({n + "Time", {"search", "--time", bytes}, 2, kTimeMessage});
        cases.push_back({n + "Grid", {"grid", bytes}, 1, kReadError});
        cases.push_back({n + "Check", {"check", bytes}, 1, escaped(bytes) + " is not a folder"});
        cases.push_back({n + "DataFolder", {"--data", bytes, "search"}, 1, "no timetable folder"});
    }

    const std::vector<CliCase> fixed = {
        // Unknown options, wherever they stand.
        {"UnknownGlobalOption",
         {"--bogus", "routes", "문산", "도라산"},
         2,
         "unknown option '--bogus'"},
        {"UnknownSearchOption",
         {"search", "--fast"},
         2,
         "velomar-cli search: unknown option '--fast'"},
        {"UnknownDetailOption",
         {"detail", "문산", "도라산", "0101", "106", "--all"},
         2,
         "velomar-cli detail: unknown option '--all'"},
        {"UnknownSettingsOption",
         {"settings", "--force", "list"},
         2,
         "velomar-cli settings: unknown option '--force'"},
        {"UnknownCheckOption", {"check", "--deep"}, 2, "unknown option '--deep'"},
        {"OptionWithEscape", {"search", "--\x1b[2J"}, 2, "unknown option '--\\x1b[2J'"},
        {"FlagGivenAValue", {"settings", "set", "--text=yes", "A", "b"}, 2, "unknown option"},
        {"MissingOptionValue", {"search", "--type"}, 2, "option --type needs a value"},
        {"EmptyDataOption", {"--data=", "search"}, 2, "option --data needs a value"},
        {"EmptySettingsOption", {"--settings", "", "search"}, 2, "option --settings needs a value"},
        // --type out of range.
        {"TypeSix", {"search", "--type", "6"}, 2, kTypeMessage + ", not '6'"},
        {"TypeMinusOne", {"search", "--type", "-1"}, 2, kTypeMessage + ", not '-1'"},
        {"TypeHuge",
         {"search", "--type", "999999999999"},
         2,
         kTypeMessage + ", not '999999999999'"},
        {"TypeEmpty", {"search", "--type", ""}, 2, kTypeMessage + ", not ''"},
        {"TypeLabelNotAType", {"search", "--type", "(K)A"}, 2, kTypeMessage},
        // --time.
        {"Time2400", {"search", "--time", "24:00"}, 2, kTimeMessage + ", not '24:00'"},
        {"Time75x", {"search", "--time", "7:5x"}, 2, kTimeMessage + ", not '7:5x'"},
        {"Time1260", {"search", "--time", "12:60"}, 2, kTimeMessage + ", not '12:60'"},
        {"TimeEmpty", {"search", "--time", ""}, 2, kTimeMessage + ", not ''"},
        {"TimeNegative", {"search", "--time", "-1:00"}, 2, kTimeMessage},
        {"TimeWithNewline", {"search", "--time", "07:00\n"}, 2, "not '07:00\\x0a'"},
        {"LayoutUnknown",
         {"search", "--layout", "landscape"},
         2,
         "--layout must be portrait or square"},
        {"NextNegative", {"search", "--next", "-1"}, 2, "--next needs a count from 0 to 1000"},
        {"NextTooMany", {"search", "--next", "1001"}, 2, "--next needs a count from 0 to 1000"},
        {"NextAndPrev", {"search", "--next", "1", "--prev", "1"}, 2, "cannot be combined"},
        {"FormatUnknown", {"search", "--format", "xml"}, 2, "--format must be table, tsv or json"},
        {"OneStationOnly", {"search", "문산"}, 2, "expects both stations"},
        // Station texts the portrait search finds no route for: nothing is stored.
        {"SearchEmptyFrom", {"search", "", "도라산"}, 1, "Info: 출발역이 없습니다.\n" + kNoRoute},
        {"SearchEmptyTo", {"search", "문산", ""}, 1, "Info: 도착역이 없습니다.\n" + kNoRoute},
        {"SearchUnits19", {"search", ToUtf8(units(19)), "도라산"}, 1, kNoRoute},
        {"SearchUnits20", {"search", ToUtf8(units(20)), "도라산"}, 1, kNoRoute},
        {"SearchUnits200", {"search", ToUtf8(units(200)), "도라산"}, 1, kNoRoute},
        {"SearchEmoji", {"search", "😀😀", "도라산"}, 1, kNoRoute},
        {"SearchEmojiCutAtUnit20", {"search", ToUtf8(units(18) + kEmoji), "도라산"}, 1, kNoRoute},
        {"SearchTab", {"search", "문\t산", "도라산"}, 1, kNoRoute},
        {"SearchNulInside", {"search", "문\0산"s, "도라산"}, 1, kNoRoute},
        {"SearchEscape", {"search", "\x1b[31m", "도라산"}, 1, kNoRoute},
        {"SearchNewline", {"search", "문산\n", "도라산"}, 1, kNoRoute},
        {"SearchOnlySpaces", {"search", "   ", "도라산"}, 1, kNoRoute},
        // The square layout stores the pair as typed, whatever it is.
        {"SquareUnits200",
         {"search", ToUtf8(units(200)), "도라산", "--layout", "square"},
         1,
         kNoRoute + "Velomar: 열차가 없습니다.\n",
         {{u"StartStation", units(200)}}},
        {"SquareEscapeAndNewline",
         {"search", "\x1b[31m", "a\nb", "--layout", "square"},
         1,
         kNoRoute,
         {{u"StartStation", u"\x1b[31m"}, {u"EndStation", u"a\nb"}}},
        {"SquareNulInside",
         {"search", "문\0산"s, "도라산", "--layout", "square"},
         1,
         kNoRoute,
         {{u"StartStation", u"문\0산"s}}},
        // detail.
        {"DetailRouteCode55",
         {"detail", "문산", "도라산", "0101", "55"},
         2,
         kCodeMessage + ", not '55'"},
        {"DetailRouteCodeNegative",
         {"detail", "문산", "도라산", "0101", "-1"},
         2,
         kCodeMessage + ", not '-1'"},
        {"DetailRouteCode132", {"detail", "문산", "도라산", "0101", "132"}, 2, kCodeMessage},
        {"DetailRouteCodeText", {"detail", "문산", "도라산", "0101", "down"}, 2, kCodeMessage},
        {"DetailRouteCodeHuge",
         {"detail", "문산", "도라산", "0101", "99999999999999"},
         2,
         kCodeMessage},
        {"DetailTrainNoNotANumber",
         {"detail", "문산", "도라산", "abcd", "106"},
         1,
         "velomar-cli detail: no stops of train 'abcd' from '문산' to '도라산' in DownData_06.txt"},
        {"DetailTrainNoNegative",
         {"detail", "문산", "도라산", "-1", "106"},
         1,
         "no stops of train '-1'"},
        {"DetailTrainNoEmpty",
         {"detail", "문산", "도라산", "", "106"},
         2,
         "TRAIN_NO must not be empty"},
        {"DetailTooFewArguments",
         {"detail", "문산", "도라산", "0101"},
         2,
         "expects FROM TO TRAIN_NO ROUTE_CODE"},
        {"DetailUnknownStations",
         {"detail", "😀", "\t", "0101", "106"},
         1,
         "no stops of train '0101' from '😀' to '\\x09'"},
        // settings.
        {"SetNumberNegative",
         {"settings", "set", "--number", "ResultCount", "-1"},
         2,
         "'-1' is not a number"},
        {"SetNumberTooBig",
         {"settings", "set", "--number", "ResultCount", "4294967296"},
         2,
         "is not a number from 0 to 4294967295"},
        {"SetNumberHex",
         {"settings", "set", "--number", "ResultCount", "0x10"},
         2,
         "is not a number"},
        {"SetNumberEmpty",
         {"settings", "set", "--number", "ResultCount", ""},
         2,
         "is not a number"},
        {"SetWithoutType",
         {"settings", "set", "ResultCount", "5"},
         2,
         "exactly one of --text and --number"},
        {"SetWithBothTypes",
         {"settings", "set", "--text", "--number", "A", "5"},
         2,
         "exactly one of --text and --number"},
        {"SetEmptyName",
         {"settings", "set", "--text", "", "x"},
         2,
         "the value name must not be empty"},
        {"SetMissingValue", {"settings", "set", "--text", "A"}, 2, "set expects NAME and VALUE"},
        {"GetMissing", {"settings", "get", "NoSuchValue"}, 1, "no value named 'NoSuchValue'"},
        {"GetNameWithEscape",
         {"settings", "get", "\x1b]0;x\x07"},
         1,
         "no value named '\\x1b]0;x\\x07'"},
        {"DeleteMissing", {"settings", "delete", "NoSuchValue"}, 1, "no value named 'NoSuchValue'"},
        {"UnknownAction", {"settings", "remove", "FS0"}, 2, "unknown action 'remove'"},
        {"ListWithArgument", {"settings", "list", "FS0"}, 2, "list takes no arguments"},
        // --data: a folder that is not there, a file, a TimeData entry that is a directory.
        {"DataMissingSearch",
         {"--data", "@ROOT@/missing", "search"},
         1,
         "velomar-cli search: no timetable folder @ROOT@/missing/TimeData (see --data)\n"},
        {"DataMissingDetail",
         {"--data", "@ROOT@/missing", "detail", "문산", "도라산", "0101", "106"},
         1,
         "velomar-cli detail: no timetable folder @ROOT@/missing/TimeData"},
        {"DataMissingCheck",
         {"--data", "@ROOT@/missing", "check"},
         1,
         "@ROOT@/missing is not a folder"},
        {"DataIsAFile", {"--data", "@ROOT@/settings.sqlite3", "search"}, 1, "no timetable folder"},
        {"EntryIsADirectorySearch",
         {"search", "도라산", "문산"},
         1,
         kReadError + "Info: GetTimeTable() Error\nVelomar: 열차가 없습니다.\n",
         {{u"StartStation", u"도라산"}, {u"EndStation", u"문산"}}},
        {"EntryIsADirectoryDetail", {"detail", "도라산", "문산", "0101", "6"}, 1, kReadError},
        {"EntryIsADirectoryGrid", {"grid", "@ROOT@/TimeData/UpData_06.txt"}, 1, kReadError},
        {"EntryIsADirectoryCheck",
         {"check"},
         1,
         "",
         {},
         "UpData_06.txt:0:0: file is missing or cannot be read\n"},
        // --settings: a place where no store can be.
        {"SettingsPathIsADirectoryList",
         {"--settings", "@ROOT@/TimeData", "settings", "list"},
         1,
         "the settings store @ROOT@/TimeData cannot be opened",
         {},
         nullptr,
         true},
        {"SettingsPathIsADirectorySet",
         {"--settings", "@ROOT@/TimeData", "settings", "set", "--number", "ResultCount", "9"},
         1,
         kCannotOpen,
         {},
         nullptr,
         true},
        {"SettingsPathIsADirectorySearch",
         {"--data", "@ROOT@", "--settings", "@ROOT@/TimeData", "search", "문산", "도라산", "--time",
          "07:00"},
         0,
         "velomar-cli search: the settings store @ROOT@/TimeData cannot be opened; the stations "
         "are not remembered\n",
         {},
         "열차No",
         true},
        {"SettingsParentIsAFileGet",
         {"--settings", "@ROOT@/settings.sqlite3/inner.sqlite3", "settings", "get", "StartStation"},
         1,
         kCannotOpen,
         {},
         nullptr,
         true},
        {"SettingsParentIsAFileDelete",
         {"--settings", "@ROOT@/settings.sqlite3/inner.sqlite3", "settings", "delete", "FS0"},
         1,
         kCannotOpen,
         {},
         nullptr,
         true},
        {"SettingsParentIsAFileSearch",
         {"--data", "@ROOT@", "--settings", "@ROOT@/settings.sqlite3/inner.sqlite3", "search",
          "문산", "도라산", "--time", "07:00"},
         0,
         kCannotOpen,
         {},
         "열차No",
         true},
    };
    cases.insert(cases.end(), fixed.begin(), fixed.end());
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Inputs, CliBadInput, testing::ValuesIn(cliCases()),
                         [](const testing::TestParamInfo<CliCase>& info) {
                             return info.param.name;
                         });

// A store that cannot be written: a read-only folder, or for root (whom permissions do not
// stop) a place in /proc, where nobody can create files.
TEST(CliBadInputStore, SettingsInAFolderThatCannotBeWritten) {
    std::random_device random;
    const fs::path root =
        fs::temp_directory_path() / ("velomar_bad_ro_" + std::to_string(random()));
    fs::create_directories(root / "locked");
    fs::permissions(root / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    fs::path file = root / "locked" / "settings.sqlite3";
    if (std::ofstream probe(root / "locked" / "probe"); probe) {
        file = "/proc/velomar-bad-input/settings.sqlite3";
        std::error_code error;
        if (fs::create_directories(file.parent_path(), error) || !error) {
            fs::remove(file.parent_path(), error);
            fs::permissions(root / "locked", fs::perms::owner_all);
            fs::remove_all(root);
            GTEST_SKIP() << "no place that this user cannot write";
        }
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"settings", "set", "--text", "StartStation", "부산"},
          std::vector<std::string>{"settings", "list"}}) {
        std::vector<std::string> all{"--settings", file.string()};
        all.insert(all.end(), args.begin(), args.end());
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCli(all, out, err), 1);
        EXPECT_EQ(err.str(), "velomar-cli settings: the settings store " + file.string() +
                                 " cannot be opened\n");
        EXPECT_EQ(out.str(), "");
    }
    fs::permissions(root / "locked", fs::perms::owner_all);
    fs::remove_all(root);
}

// Control characters inside stored names and texts must not split the listing's lines.
TEST(CliBadInputStore, ListKeepsOneLinePerValue) {
    std::random_device random;
    const fs::path file =
        fs::temp_directory_path() / ("velomar_bad_list_" + std::to_string(random()) + ".sqlite3");
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--settings", file.string(), "settings"});
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCli(args, out, err);
        return std::pair{status, out.str()};
    };
    ASSERT_EQ(run({"set", "--text", "A", "line\nbreak\tand\x1b[0m"}).first, 0);
    ASSERT_EQ(run({"set", "--text", "B\nfake\tnumber\t1", "x"}).first, 0);
    EXPECT_EQ(run({"list"}), (std::pair{0,
                                        "A\ttext\tline\\x0abreak\\x09and\\x1b[0m\n"
                                        "B\\x0afake\\x09number\\x091\ttext\tx\n"s}));
    // get prints the text as stored, but for what could steer the terminal.
    EXPECT_EQ(run({"get", "A"}).second, "line\nbreak\tand\\x1b[0m\n");
    fs::remove(file);
}

}  // namespace
}  // namespace cli
}  // namespace velomar
