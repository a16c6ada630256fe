#include "app/app_options.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "app/desktop.h"

#include <map>

namespace velomar {
namespace {

TEST(AppOptionsTest, DefaultsWithoutArguments) {
    const auto parsed = ParseAppOptions({});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->screen, (ScreenSize{480, 800}));
    EXPECT_FALSE(parsed.options->settingsFile);
    EXPECT_FALSE(parsed.options->dataDirectory);
    EXPECT_FALSE(parsed.options->screenshotFile);
    EXPECT_FALSE(parsed.options->fixedTime);
    EXPECT_FALSE(parsed.options->search);
}

TEST(AppOptionsTest, EveryOptionInBothSpellings) {
    const auto parsed = ParseAppOptions({"--screen", "240x320", "--settings=/tmp/s.db", "--data",
                                         "/opt/v", "--screenshot", "out.png", "--search",
                                         "--time=07:05", "--date", "19700102"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const AppOptions& options = *parsed.options;
    EXPECT_EQ(options.screen, (ScreenSize{240, 320}));
    EXPECT_EQ(options.settingsFile, std::filesystem::path("/tmp/s.db"));
    EXPECT_EQ(options.dataDirectory, std::filesystem::path("/opt/v"));
    EXPECT_EQ(options.screenshotFile, std::filesystem::path("out.png"));
    EXPECT_TRUE(options.search);
    ASSERT_TRUE(options.fixedTime);
    EXPECT_EQ(options.fixedTime->hour, 7);
    EXPECT_EQ(options.fixedTime->minute, 5);
    EXPECT_EQ(options.fixedDay, 1);
}

TEST(AppOptionsTest, DialogForAScreenshotAndFirstFrameTime) {
    const auto parsed =
        ParseAppOptions({"--screenshot", "s.png", "--dialog", "favorites", "--first-frame-time"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->dialog, ShownDialog::Favorites);
    EXPECT_TRUE(parsed.options->firstFrameTime);
    EXPECT_EQ(ParseShownDialog("picker"), ShownDialog::Picker);
    EXPECT_EQ(ParseShownDialog("detail"), ShownDialog::Detail);
    EXPECT_FALSE(ParseShownDialog("Picker"));
}

class BadOptionsTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadOptionsTest, AreRejectedWithAMessage) {
    const auto parsed = ParseAppOptions(GetParam());
    EXPECT_FALSE(parsed.options);
    EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadOptionsTest,
    ::testing::Values(
        std::vector<std::string>{"--screen"}, std::vector<std::string>{"--screen", "240"},
        std::vector<std::string>{"--screen", "240x"}, std::vector<std::string>{"--screen", "0x320"},
        std::vector<std::string>{"--screen", "240x320x2"},
        std::vector<std::string>{"--screen", "-240x320"},
        std::vector<std::string>{"--screen", "99999x320"},
        std::vector<std::string>{"--time", "7:05"}, std::vector<std::string>{"--time", "24:00"},
        std::vector<std::string>{"--time", "07:60"}, std::vector<std::string>{"--settings"},
        std::vector<std::string>{"--data="}, std::vector<std::string>{"--colour"},
        std::vector<std::string>{"--dialog", "picker"},
        std::vector<std::string>{"--screenshot", "s.png", "--dialog", "menu"},
        std::vector<std::string>{"stray"}));

struct ZoomCase {
    std::string text;
    std::optional<std::optional<double>> expected;  // outer empty: rejected; inner empty: fit
};

class ZoomOptionTest : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomOptionTest, FitOrAFactorInRange) {
    EXPECT_EQ(ParseZoom(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoomOptionTest,
    ::testing::Values(ZoomCase{"fit", std::optional<double>{}}, ZoomCase{"1", 1.0},
                      ZoomCase{"2", 2.0}, ZoomCase{"0.5", 0.5}, ZoomCase{"1.25", 1.25},
                      ZoomCase{"0.25", 0.25}, ZoomCase{"8", 8.0}, ZoomCase{"8.0", 8.0},
                      // Outside the range, or not plainly written.
                      ZoomCase{"0.2", std::nullopt}, ZoomCase{"8.01", std::nullopt},
                      ZoomCase{"0", std::nullopt}, ZoomCase{"-1", std::nullopt},
                      ZoomCase{".5", std::nullopt}, ZoomCase{"2.", std::nullopt},
                      ZoomCase{"1.255", std::nullopt}, ZoomCase{"1e1", std::nullopt},
                      ZoomCase{"inf", std::nullopt}, ZoomCase{"nan", std::nullopt},
                      ZoomCase{" 2", std::nullopt}, ZoomCase{"Fit", std::nullopt},
                      ZoomCase{"", std::nullopt}));

TEST(AppOptionsTest, ZoomDefaultsToFitting) {
    EXPECT_FALSE(ParseAppOptions({}).options->zoom);
    EXPECT_EQ(ParseAppOptions({"--zoom", "2"}).options->zoom, 2.0);
    EXPECT_FALSE(ParseAppOptions({"--zoom=fit"}).options->zoom);
}

TEST(AppOptionsTest, DisplayDetection) {
    static std::map<std::string, std::string> environment;
    auto lookup = [](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found != environment.end() ? found->second.c_str() : nullptr;
    };
    environment = {};
    EXPECT_FALSE(HasDisplay(lookup));
    environment = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    EXPECT_FALSE(HasDisplay(lookup));
    environment = {{"DISPLAY", ":0"}};
    EXPECT_TRUE(HasDisplay(lookup));
    environment = {{"WAYLAND_DISPLAY", "wayland-0"}};
    EXPECT_TRUE(HasDisplay(lookup));
    environment = {{"QT_QPA_PLATFORM", "offscreen"}};
    EXPECT_TRUE(HasDisplay(lookup));
}

// Bad option values, each with the message the user reads.
struct BadOptionMessage {
    std::vector<std::string> args;
    std::string error;
};

class BadOptionMessageTest : public ::testing::TestWithParam<BadOptionMessage> {};

TEST_P(BadOptionMessageTest, NamesTheOptionAndTheValue) {
    const auto parsed = ParseAppOptions(GetParam().args);
    EXPECT_FALSE(parsed.options);
    EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadOptionMessageTest,
    ::testing::Values(
        BadOptionMessage{{"--time", "24:00"}, "--time: expected HH:MM, got \"24:00\""},
        BadOptionMessage{{"--time", "7:5x"}, "--time: expected HH:MM, got \"7:5x\""},
        BadOptionMessage{{"--time", "12:60"}, "--time: expected HH:MM, got \"12:60\""},
        BadOptionMessage{{"--time", ""}, "--time: expected HH:MM, got \"\""},
        // from_chars alone would take the signs: hour -1, minute -5.
        BadOptionMessage{{"--time", "-1:05"}, "--time: expected HH:MM, got \"-1:05\""},
        BadOptionMessage{{"--time=07:-5"}, "--time: expected HH:MM, got \"07:-5\""},
        BadOptionMessage{{"--time", "+7:05"}, "--time: expected HH:MM, got \"+7:05\""},
        BadOptionMessage{{"--date", "99991231"},
                         "--date: expected YYYYMMDD (00010101 to 99991224), got \"99991231\""},
        BadOptionMessage{{"--screen", "240x-320"},
                         "--screen: expected WxH (120 to 4096 each), got \"240x-320\""},
        BadOptionMessage{{"--screen", "999999999999x320"},
                         "--screen: expected WxH (120 to 4096 each), got \"999999999999x320\""},
        BadOptionMessage{{"--zoom", "9"},
                         "--zoom: expected fit or a factor from 0.25 to 8, got \"9\""},
        BadOptionMessage{{"--zoom=big"},
                         "--zoom: expected fit or a factor from 0.25 to 8, got \"big\""},
        BadOptionMessage{{"--zoom"}, "--zoom needs a value"},
        BadOptionMessage{{"--time"}, "--time needs a value"},
        BadOptionMessage{{"--settings="}, "--settings needs a value"},
        BadOptionMessage{{"--data", ""}, "--data needs a value"},
        BadOptionMessage{{"--type", "6"}, "unknown option \"--type\""},
        // Echoed bytes never reach the terminal raw: not UTF-8 or control -> \xNN.
        BadOptionMessage{{"\xff\xfe"}, "unknown option \"\\xff\\xfe\""},
        BadOptionMessage{{"--time", "\x1b[2J"}, "--time: expected HH:MM, got \"\\x1b[2J\""}));

// A window keeps to the desktop (off screen: 800 x 600 and no window manager) whatever the
// zoom asked for, and the program says so; a picture keeps the zoom while it stays small.
TEST(RunZoomTest, AnAskedZoomKeepsTheWindowOnTheDesktop) {
    const QSize desktop = QGuiApplication::primaryScreen()->availableGeometry().size();
    AppOptions window;
    window.zoom = 2.0;
    testing::internal::CaptureStderr();
    const double zoom = ChooseRunZoom(window);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_LE(480 * zoom, desktop.width());
    EXPECT_LE(800 * zoom, desktop.height());
    EXPECT_NE(said.find("does not fit"), std::string::npos) << said;

    AppOptions picture = window;
    picture.screenshotFile = "out.png";
    EXPECT_DOUBLE_EQ(ChooseRunZoom(picture), 2.0);
    picture.screen = {4096, 4096};
    picture.zoom = 8.0;
    testing::internal::CaptureStderr();
    EXPECT_DOUBLE_EQ(ChooseRunZoom(picture), 1.0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("using 1"), std::string::npos);
}

}  // namespace
}  // namespace velomar
