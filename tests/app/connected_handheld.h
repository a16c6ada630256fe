#pragma once

// The real main window with every dialog connected, on a fixture timetable (문산 -> 도라산
// stored as the last pair), drawn off screen; and helpers that drive modal dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QRect>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "app/dialog_wiring.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/zoomed_screen.h"
#include "support/timetable_world.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}

namespace velomar::app_test {

using testing_support::TimetableWorld;

inline QString q(std::u16string_view text) {
    return ToQString(text);
}

struct Handheld {
    TimetableWorld world;
    FixedClock clock{{7, 42}};
    std::optional<MainWindow> window;
    std::optional<ZoomedScreen> view;  // a zoom below 1 draws the screen in a scaled view

    // The square form (320 x 320) runs inside `square` while the start-up shows it.
    explicit Handheld(ScreenSize screen, std::function<void(SquareDialog&)> square = {},
                      double zoom = 1.0) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
        world.setNumber(kFirstRunMarkerName, kFirstRunMarker);
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                         u"문산");
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kEndStationName,
                         u"도라산");
        const MainScreenServices services{world.settings,         world.directory, world.grid,
                                          world.messages,         clock,           screen,
                                          world.squareDialogShown};
        window.emplace(services);
        window->exitProcess = [](int) {};
        window->runSquareDialog = [square](SquareDialog& dialog) {
            if (square) {
                dialog.show();
                square(dialog);
            }
            return int{QDialog::Rejected};
        };
        ConnectDialogs(*window, services);
        if (zoom < 1.0) {
            // As the program does: the view is on the desktop before the square dialog joins it.
            view.emplace(*window, zoom);
            window->show();
            view->show();
        }
        window->start();
        window->show();
    }
    ScreenForm& form() { return window->form(); }
    // The emulated screen on the desktop.
    QRect screenRect() const { return {window->mapToGlobal(QPoint(0, 0)), window->size()}; }
};

// Runs `body` on the next modal dialog of type D once it is shown; records whether it came.
template <class D>
void WhenShown(std::function<void(D&)> body, bool* came = nullptr) {
    QTimer::singleShot(0, [body = std::move(body), came] {
        auto* dialog = dynamic_cast<D*>(QApplication::activeModalWidget());
        if (came != nullptr) {
            *came = dialog != nullptr;
        }
        if (dialog != nullptr) {
            body(*dialog);
        } else if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            other->reject();
        }
    });
}

inline void Click(QWidget* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

// A pick by program: what the list reports when the user chose a row.
inline void Pick(QComboBox* list, int row) {
    list->setCurrentIndex(row);
    Q_EMIT list->activated(row);
}

// A widget's place lies wholly inside another's, both in the same coordinates.
inline void ExpectInside(const QRect& inner, const QRect& outer) {
    EXPECT_TRUE(outer.contains(inner))
        << "(" << inner.x() << "," << inner.y() << " " << inner.width() << "x" << inner.height()
        << ") in (" << outer.x() << "," << outer.y() << " " << outer.width() << "x"
        << outer.height() << ")";
}

}  // namespace velomar::app_test
