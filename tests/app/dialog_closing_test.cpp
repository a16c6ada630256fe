// Every dialog closed in every way it offers, on a screen drawn at half size, at 0.91 (a
// 480 x 800 screen fitted to a 1366 x 768 desktop) and at 1; CTest runs the cases at 1 again
// with Qt's scale factor 2. A dialog that takes down the program on its way out fails here.
#include <QAbstractButton>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QKeyEvent>

#include "app/emulated_dialog.h"
#include "app/qt_message_sink.h"
#include "app/tile_button.h"
#include "connected_handheld.h"

namespace velomar {
namespace {

using namespace app_test;

enum class Way { Ok, Cancel, CloseBox, Escape, Enter };

struct ClosingCase {
    const char* name;
    ScreenSize screen;
    std::vector<Way> ways;
    std::function<void(Handheld&)> open;  // runs the dialog modally
};

void PrintTo(const ClosingCase& c, std::ostream* out) {
    *out << c.name;
}

// The dialog's own buttons by their lettering.
QAbstractButton* ButtonOf(QWidget& dialog, Way way) {
    const QStringList names =
        way == Way::Ok ? QStringList{QStringLiteral("선택"), q(u"확인"), QStringLiteral("OK")}
                       : QStringList{q(u"취 소"), q(u"취소")};
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (names.contains(button->text()) && button->isVisible()) {
            return button;
        }
    }
    return nullptr;
}

void Close(QDialog& dialog, Way way) {
    switch (way) {
        case Way::Ok:
        case Way::Cancel:
            Click(ButtonOf(dialog, way));
            break;
        case Way::CloseBox:
            Click(static_cast<EmulatedDialog&>(dialog).caption()->closeBox());
            break;
        case Way::Escape:
            QTest::keyClick(&dialog, Qt::Key_Escape);
            break;
        case Way::Enter:
            QTest::keyClick(&dialog, Qt::Key_Return);
            break;
    }
}

// The dialog that runs over the screen; in a scaled view it is no window of the desktop's.
QDialog* ShownDialog(MainWindow& window) {
    for (QDialog* dialog : window.findChildren<QDialog*>()) {
        if (dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

void OpenDetail(Handheld& device) {
    Click(device.form().button(portrait_id::kSearch));
    QTreeWidget* list = device.form().resultList();
    ASSERT_GT(list->topLevelItemCount(), 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
}

using ZoomedCase = std::tuple<ClosingCase, double>;
class DialogClosingTest : public testing::TestWithParam<ZoomedCase> {};

TEST_P(DialogClosingTest, EveryWayLeavesAWorkingScreen) {
    const auto& [c, zoom] = GetParam();
    for (const Way way : c.ways) {
        SCOPED_TRACE(static_cast<int>(way));
        bool closed = false;
        if (c.screen.width == 320) {
            // The square form runs at start-up, over the portrait one.
            Handheld device(
                c.screen,
                [&](SquareDialog& square) {
                    Close(square, way);
                    closed = !square.isVisible();
                },
                zoom);
            EXPECT_TRUE(closed);
            continue;
        }
        Handheld device(c.screen, {}, zoom);
        QTimer::singleShot(0, [&] {
            QDialog* dialog = ShownDialog(*device.window);
            ASSERT_NE(dialog, nullptr);
            Close(*dialog, way);
            closed = !dialog->isVisible();
        });
        c.open(device);
        EXPECT_TRUE(closed);
        // The dialog is gone and the screen still answers.
        EXPECT_EQ(ShownDialog(*device.window), nullptr);
        Click(device.form().button(portrait_id::kSearch));
        EXPECT_GT(device.form().resultList()->topLevelItemCount(), 0);
    }
}

const ClosingCase kDialogs[] = {
    {"favorites",
     {480, 800},
     {Way::Ok, Way::Cancel, Way::CloseBox, Way::Escape, Way::Enter},
     [](Handheld& d) { d.window->runCommand(command::kFavorites); }},
    {"picker",
     {480, 800},
     {Way::Ok, Way::Cancel, Way::CloseBox, Way::Escape, Way::Enter},
     [](Handheld& d) { Click(d.form().button(portrait_id::kDepartureButton)); }},
    {"options",
     {240, 320},
     {Way::Ok, Way::Cancel, Way::CloseBox, Way::Escape, Way::Enter},
     [](Handheld& d) { d.window->runCommand(command::kOptions); }},
    {"about",
     {240, 320},
     {Way::Ok, Way::CloseBox, Way::Escape, Way::Enter},
     [](Handheld& d) { d.window->runCommand(command::kAbout); }},
    {"detail", {480, 800}, {Way::CloseBox, Way::Escape, Way::Enter}, OpenDetail},
    {"message",
     {240, 320},
     {Way::Ok, Way::CloseBox, Way::Escape, Way::Enter},
     [](Handheld& d) {
         QtMessageSink boxes([&d]() -> QWidget* { return &*d.window; });
         boxes.showMessage(u"fopen Error", u"Info");
     }},
    {"square", {320, 320}, {Way::Ok, Way::Cancel, Way::Escape, Way::Enter}, {}},
};

INSTANTIATE_TEST_SUITE_P(Zooms, DialogClosingTest,
                         testing::Combine(testing::ValuesIn(kDialogs),
                                          testing::Values(0.5, 0.91, 1.0)),
                         [](const testing::TestParamInfo<ZoomedCase>& info) {
                             return std::string(std::get<0>(info.param).name) + "_at_" +
                                    std::to_string(std::lround(std::get<1>(info.param) * 100));
                         });

// The window manager's close of a scaled screen closes the dialog on it; the square form gives
// way to the portrait one, and only a screen with nothing on it closes.
TEST(ZoomedScreenCloseTest, ClosesTheDialogOnTheScreenFirst) {
    bool squareGone = false;
    bool viewStayed = false;
    Handheld device(
        {320, 320},
        [&](SquareDialog& square) {
            QGraphicsView* view = square.graphicsProxyWidget()->scene()->views().first();
            viewStayed = !view->close() && view->isVisible();
            squareGone = !square.isVisible() && square.result() == QDialog::Rejected;
        },
        0.5);
    EXPECT_TRUE(squareGone);
    EXPECT_TRUE(viewStayed);

    bool favouritesGone = false;
    QTimer::singleShot(0, [&] {
        QDialog* favourites = ShownDialog(*device.window);
        ASSERT_NE(favourites, nullptr);
        EXPECT_FALSE(device.view->close());
        favouritesGone = !favourites->isVisible();
        favourites->reject();  // a failure ends here rather than waiting for ever
    });
    device.window->runCommand(command::kFavorites);
    EXPECT_TRUE(favouritesGone);
    EXPECT_TRUE(device.view->isVisible());
    EXPECT_TRUE(device.view->close());
}

}  // namespace
}  // namespace velomar
