// The keyboard as the only input: every control Tab reaches shows that it has the focus, and
// Enter or Space on a chosen result row opens its detail.
#include <QTreeWidget>

#include "app/detail_dialog.h"
#include "app/favorites_dialog.h"
#include "app/options_dialog.h"
#include "app/station_picker_dialog.h"
#include "app/tile_button.h"
#include "connected_handheld.h"

namespace velomar {
namespace {

using namespace app_test;

// The controls Tab reaches from `first`, once round.
std::vector<QWidget*> TabChain(QWidget* first) {
    std::vector<QWidget*> chain;
    first->setFocus(Qt::TabFocusReason);
    for (QWidget* at = QApplication::focusWidget(); at != nullptr && chain.size() < 40;) {
        if (std::find(chain.begin(), chain.end(), at) != chain.end()) {
            break;
        }
        chain.push_back(at);
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
    }
    return chain;
}

// Pixels that differ between the two pictures of one control.
int Changed(const QImage& a, const QImage& b) {
    int changed = 0;
    for (int y = 0; y < qMin(a.height(), b.height()); ++y) {
        for (int x = 0; x < qMin(a.width(), b.width()); ++x) {
            changed += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return changed;
}

// Each control shows a mark around it with the focus: a frame of dots changes at least a
// quarter of its perimeter, which no caret and no faint outline of the style does.
void ExpectFocusMarks(QWidget& window, QWidget* first) {
    ActivateScreenWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.window()));
    const std::vector<QWidget*> chain = TabChain(first);
    EXPECT_GE(chain.size(), 2u);
    for (QWidget* control : chain) {
        SCOPED_TRACE(control->metaObject()->className());
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus());
        QApplication::processEvents();
        const QImage focused = control->grab().toImage();
        control->clearFocus();
        QApplication::processEvents();
        EXPECT_GE(Changed(control->grab().toImage(), focused),
                  (control->width() + control->height()) / 2);
    }
}

class FocusMarkTest : public testing::TestWithParam<ScreenSize> {};

TEST_P(FocusMarkTest, EveryControlOfTheScreenShowsTheFocus) {
    QApplication::setCursorFlashTime(0);  // a caret that blinks is no mark
    Handheld device(GetParam());
    Click(device.form().button(portrait_id::kSearch));
    ExpectFocusMarks(*device.window, device.form().typeList());
}

INSTANTIATE_TEST_SUITE_P(Screens, FocusMarkTest,
                         testing::Values(ScreenSize{240, 320}, ScreenSize{480, 800}));

struct FocusMarkCase {
    const char* name;
    std::function<void(Handheld&)> open;
};

class DialogFocusMarkTest : public testing::TestWithParam<FocusMarkCase> {};

TEST_P(DialogFocusMarkTest, EveryControlOfTheDialogShowsTheFocus) {
    QApplication::setCursorFlashTime(0);
    Handheld device({480, 800});
    bool came = false;
    WhenShown<EmulatedDialog>(
        [&](EmulatedDialog& dialog) {
            QWidget* first = dialog.client()->nextInFocusChain();
            while (!(first->focusPolicy() & Qt::TabFocus) || !first->isVisible()) {
                first = first->nextInFocusChain();
            }
            ExpectFocusMarks(dialog, first);
            dialog.reject();
        },
        &came);
    GetParam().open(device);
    EXPECT_TRUE(came);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogFocusMarkTest,
    testing::Values(
        FocusMarkCase{"favorites", [](Handheld& d) { d.window->runCommand(command::kFavorites); }},
        FocusMarkCase{"options", [](Handheld& d) { d.window->runCommand(command::kOptions); }},
        FocusMarkCase{"picker",
                      [](Handheld& d) { Click(d.form().button(portrait_id::kDepartureButton)); }}),
    [](const testing::TestParamInfo<FocusMarkCase>& info) { return std::string(info.param.name); });

// The row the user moved to with the arrow keys opens with Enter or Space, in both layouts.
TEST(ResultRowKeysTest, EnterAndSpaceOpenTheChosenRow) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        Handheld device({240, 320});
        Click(device.form().button(portrait_id::kSearch));
        ResultListWidget* list = device.form().resultList();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(list->currentItem(), list->topLevelItem(1));
        int stops = -1;
        WhenShown<DetailDialog>([&](DetailDialog& detail) {
            stops = detail.stopList()->topLevelItemCount();
            detail.reject();
        });
        QTest::keyClick(list, key);
        EXPECT_EQ(stops, 2) << key;
    }
}

TEST(ResultRowKeysTest, EnterOnASquareRowOpensItWithoutLeaving) {
    bool opened = false;
    bool stillOpen = false;
    Handheld device({320, 320}, [&](SquareDialog& square) {
        Click(square.form().button(square_id::kSearch));
        ResultListWidget* list = square.form().resultList();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        WhenShown<DetailDialog>([&](DetailDialog& detail) {
            opened = true;
            detail.reject();
        });
        QTest::keyClick(list, Qt::Key_Return);
        stillOpen = square.isVisible() && square.result() == 0;
    });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(stillOpen);
}

}  // namespace
}  // namespace velomar
