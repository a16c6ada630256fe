// How the handheld's screens map onto viewports, and that what the page draws stays on the
// emulated screen with rows that fit the list.
#include <gtest/gtest.h>

#include <set>

#include "screens/layout_rules.h"
#include "web/phone_screen.h"
#include "web/web_dialog_layout.h"
#include "web/web_layout.h"

namespace velomar {
namespace {

struct ViewportCase {
    int width;
    int height;
    ScreenSize screen;
    double scale;
};

TEST(PhoneScreen, ViewportsMapOntoTheHandheldsScreens) {
    const ViewportCase cases[] = {
        {360, 640, {480, 853}, 0.75},         {390, 844, {480, 1039}, 0.8125},
        {412, 915, {480, 1066}, 412 / 480.0}, {320, 568, {480, 852}, 320 / 480.0},
        {1280, 800, {480, 800}, 1.0},         {1366, 700, {480, 800}, 0.875},
        {640, 360, {320, 320}, 1.125},        {568, 320, {320, 320}, 1.0},
        {0, 0, {480, 720}, 320 / 480.0},  // a hidden frame: the smallest phone
    };
    for (const ViewportCase& c : cases) {
        const PhoneScreen phone = PhoneScreenFor(c.width, c.height);
        EXPECT_EQ(phone.screen, c.screen) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(phone.scale, c.scale) << c.width << "x" << c.height;
    }
}

TEST(PhoneScreen, TheFormStretchesOnlyOnScreensLongerThanTheHandhelds) {
    EXPECT_DOUBLE_EQ(PhoneFormStretch({480, 800}), 1.0);
    EXPECT_GT(PhoneFormStretch({480, 1039}), 1.2);
}

bool inside(const PixelRect& rect, int width, int height) {
    return rect.x >= 0 && rect.y >= 0 && rect.x + rect.width <= width &&
           rect.y + rect.height <= height;
}

const WebControl* withRole(const std::vector<WebControl>& controls, std::string_view role) {
    for (const WebControl& control : controls) {
        if (control.role == role) {
            return &control;
        }
    }
    return nullptr;
}

class PhoneLayouts : public ::testing::TestWithParam<ViewportCase> {};

TEST_P(PhoneLayouts, TheMainScreenFitsAndAFullPageShowsWhole) {
    const ScreenSize screen = PhoneScreenFor(GetParam().width, GetParam().height).screen;
    const Layout layout = screen.width == 320 ? Layout::Square : Layout::Portrait;
    const FormLayout form = MainFormLayout(layout, screen);
    const int area = screen.height - 2 * form.strip;
    std::set<std::string> roles;
    for (const WebControl& control : form.controls) {
        EXPECT_TRUE(inside(control.rect, screen.width, area)) << control.role;
        EXPECT_FALSE(control.role.empty()) << control.id;
        if (control.role != "static") {
            EXPECT_TRUE(roles.insert(control.role).second) << control.role;
        }
    }
    for (const char* role : {"types", "hours", "minutes", "departure", "arrival", "departureButton",
                             "arrivalButton", "prev", "search", "next", "results"}) {
        EXPECT_TRUE(roles.contains(role)) << role;
    }
    const WebControl* list = withRole(form.controls, "results");
    ASSERT_NE(list, nullptr);
    const int rows = layout == Layout::Square ? 9 : 14;
    EXPECT_LE(form.list.headerHeight + rows * form.list.rowHeight, list->rect.height - 2);
    EXPECT_NE(withRole(form.controls, "search")->tile, 0);
}

TEST_P(PhoneLayouts, EveryDialogStaysOnTheScreen) {
    const ScreenSize screen = PhoneScreenFor(GetParam().width, GetParam().height).screen;
    const Layout layout = screen.width == 320 ? Layout::Square : Layout::Portrait;
    const DialogLayout dialogs[] = {
        PickerLayout(layout, screen, true), FavoritesLayout(screen),  OptionsLayout(screen),
        DetailLayout(layout, screen),       DatePickerLayout(screen), AboutLayout(screen, 30),
        MessageLayout(screen, u"Info")};
    for (const DialogLayout& dialog : dialogs) {
        EXPECT_TRUE(inside(dialog.frame, screen.width, screen.height)) << dialog.templateId;
        for (const WebControl& control : dialog.controls) {
            EXPECT_TRUE(inside(control.rect, dialog.frame.width,
                               dialog.frame.height - dialog.captionHeight))
                << dialog.templateId << " " << control.role;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Viewports, PhoneLayouts,
                         ::testing::Values(ViewportCase{320, 568, {}, 0},
                                           ViewportCase{360, 640, {}, 0},
                                           ViewportCase{412, 915, {}, 0},
                                           ViewportCase{1280, 800, {}, 0},
                                           ViewportCase{640, 360, {}, 0}));

TEST(WebLayout, OnTheSmallestPhoneRowsStayAFingerHighAndTheListScrolls) {
    const ScreenSize screen = PhoneScreenFor(320, 568).screen;
    const FormLayout shared = MainFormLayout(Layout::Portrait, screen);
    const FormLayout finger = MainFormLayout(Layout::Portrait, screen, 37);
    EXPECT_LT(shared.list.rowHeight, 37);
    EXPECT_EQ(finger.list.rowHeight, 37);
    EXPECT_EQ(MainFormLayout(Layout::Portrait, {480, 1039}, 37).list.rowHeight,
              MainFormLayout(Layout::Portrait, {480, 1039}).list.rowHeight);
}

TEST(WebLayout, ThePickerHasFourteenGroupsAndTheFillersAreOff) {
    const DialogLayout picker = PickerLayout(Layout::Portrait, {480, 853}, false);
    int groups = 0;
    for (const WebControl& control : picker.controls) {
        if (control.role == "group") {
            ++groups;
            EXPECT_EQ(control.enabled, control.group != 3 && control.group != 10) << control.group;
        }
    }
    EXPECT_EQ(groups, 14);
    EXPECT_EQ(withRole(picker.controls, "endLabel")->text, u"도착역");
}

}  // namespace
}  // namespace velomar
