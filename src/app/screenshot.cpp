#include "app/screenshot.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"

namespace velomar {
namespace {

// The screen as a user sees it: the widget and, over it, the modal dialog it opened.
QPixmap screenPicture(QWidget& widget) {
    QPixmap picture = widget.grab();
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog != nullptr && dialog != &widget) {
        QPainter painter(&picture);
        const QPoint offset = dialog->mapToGlobal(QPoint(0, 0)) - widget.mapToGlobal(QPoint(0, 0));
        painter.drawPixmap(offset, dialog->grab());
    }
    return picture;
}

bool savePng(const QPixmap& picture, const std::filesystem::path& file) {
    if (!picture.save(QString::fromStdString(file.string()), "PNG")) {
        std::fprintf(stderr, "velomar: cannot write %s\n", file.string().c_str());
        return false;
    }
    return true;
}

// Opens a dialog the way a user would.
void openDialog(ShownDialog dialog, MainWindow& window, ScreenForm& form) {
    switch (dialog) {
        case ShownDialog::Picker:
            if (form.stationButtonHook) {
                form.stationButtonHook(form, StationEnd::Departure);
            }
            break;
        case ShownDialog::Detail:
            form.rowTapped(0);
            break;
        case ShownDialog::Favorites:
            window.runCommand(command::kFavorites);
            break;
        case ShownDialog::Options:
            window.runCommand(command::kOptions);
            break;
        case ShownDialog::About:
            window.runCommand(command::kAbout);
            break;
    }
}

// Takes the picture once a modal dialog runs, then closes it; an unopened dialog is an error.
bool shootWithDialog(ShownDialog dialog, MainWindow& window, QWidget& screen, ScreenForm& form,
                     const std::filesystem::path& file) {
    bool saved = false;
    bool opened = false;
    QTimer::singleShot(0, &screen, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == &screen) {
            return;
        }
        opened = true;
        saved = savePng(screenPicture(screen), file);
        modal->close();
    });
    openDialog(dialog, window, form);
    if (!opened) {
        std::fputs("velomar: the dialog did not open (for detail, --search must list a train)\n",
                   stderr);
    }
    return saved;
}

// The picture of one screen: the portrait window or the square dialog over it.
bool shoot(MainWindow& window, QWidget& screen, ScreenForm& form, const AppOptions& options) {
    if (options.search) {
        form.searchAction();
    }
    return options.dialog
               ? shootWithDialog(*options.dialog, window, screen, form, *options.screenshotFile)
               : savePng(screenPicture(screen), *options.screenshotFile);
}

}  // namespace

bool TakeScreenshot(MainWindow& window, const AppOptions& options) {
    bool taken = false;
    bool saved = false;
    // The menu's dialogs belong to the portrait screen behind the square one.
    const bool formDialog = options.dialog == ShownDialog::Picker ||
                            options.dialog == ShownDialog::Detail || !options.dialog;
    window.runSquareDialog = [&](SquareDialog& dialog) {
        if (!formDialog) {
            return int{QDialog::Rejected};
        }
        dialog.show();
        saved = shoot(window, dialog, dialog.form(), options);
        taken = true;
        return int{QDialog::Rejected};
    };
    window.start();
    if (!taken) {
        window.show();
        saved = shoot(window, window, window.form(), options);
    }
    return saved;
}

}  // namespace velomar
