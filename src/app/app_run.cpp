#include "app/app_run.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/first_frame_watch.h"
#include "app/form_widgets.h"
#include "app/main_window.h"
#include "app/qt_message_sink.h"
#include "dialogs/dialogs.h"
#include "screens/layout_rules.h"
#include "settings/settings_path.h"
#include "settings/sqlite_settings.h"
#include "timetable/data_folder.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {
namespace {

const char* environmentValue(const char* name) {
    return std::getenv(name);
}

bool mentions(const std::vector<std::string>& args, std::string_view option) {
    for (const std::string& arg : args) {
        if (arg == option ||
            (arg.starts_with(option) && arg.size() > option.size() && arg[option.size()] == '=')) {
            return true;
        }
    }
    return false;
}

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

}  // namespace

int RunApplication(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    const std::vector<std::string> raw(argv + 1, argv + argc);
    if (mentions(raw, "--help") || mentions(raw, "-h")) {
        std::fputs(kAppUsage, stdout);
        return 0;
    }
    const bool screenshot = mentions(raw, "--screenshot");
    const bool unattended = screenshot || mentions(raw, "--first-frame-time");
    if (!HasDisplay(&environmentValue)) {
        if (!unattended) {
            std::fputs(
                "velomar: no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not "
                "set); use velomar-cli instead\n",
                stderr);
            return kNoDisplayStatus;
        }
        // Pictures and timings need no screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication app(argc, argv);
    // The desktop matches the window to its menu entry (name, icon) through this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.velomar.Velomar"));
    QApplication::setWindowIcon(QIcon(ApplicationIcon(128)));
    std::vector<std::string> args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        args.push_back(arguments[i].toStdString());
    }
    const AppOptionsResult parsed = ParseAppOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "velomar: %s\n%s", parsed.error.c_str(), kAppUsage);
        return 2;
    }
    const AppOptions& options = *parsed.options;
    // Every text is Korean in one family, which holds every glyph the screens use: no
    // fallback searches, and without hinting the glyphs load much faster. Widgets that keep
    // the default (menus) get the chrome's size, so they share its font.
    QFont korean(QStringLiteral("NanumGothic"));
    korean.setHintingPreference(QFont::PreferNoHinting);
    korean.setStyleStrategy(QFont::NoFontMerging);
    korean.setPixelSize(FontPixelSize(kChromeFontPoints, options.screen));
    QApplication::setFont(korean);

    const std::filesystem::path settingsFile = options.settingsFile.value_or(DefaultSettingsPath());
    // The application says nothing about its settings store, as the handheld said nothing
    // about its registry: a broken file is moved aside, an unusable place saves nothing.
    std::unique_ptr<SqliteSettingsBackend> settings = SqliteSettingsBackend::Open(settingsFile);

    DiskFileReader reader;
    const TimetableDirectory timetables(reader, ChooseDataFolder(options.dataDirectory).folder);
    SystemClock systemClock;
    FixedClock fixedClock(options.fixedTime.value_or(LocalTime{}));
    const Clock& clock = options.fixedTime ? static_cast<const Clock&>(fixedClock) : systemClock;

    MainWindow* windowForMessages = nullptr;
    QtMessageSink boxes([&]() -> QWidget* { return windowForMessages; });
    StderrMessageSink printed;
    MessageSink& messages = unattended ? static_cast<MessageSink&>(printed) : boxes;

    const MainScreenServices services{*settings, timetables, SharedTimetableGrid(),
                                      messages,  clock,      options.screen};
    MainWindow window(services);
    windowForMessages = &window;
    ConnectDialogs(window, services);

    if (options.firstFrameTime) {
        FirstFrameWatch watch(started);
        app.installEventFilter(&watch);
        window.start();
        window.show();
        return app.exec();
    }
    if (!screenshot) {
        window.start();
        window.show();
        window.raise();
        return app.exec();
    }

    // Unattended: render once, after start-up (and the Search press), then leave.
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
        if (options.search) {
            dialog.form().searchAction();
        }
        saved = options.dialog ? shootWithDialog(*options.dialog, window, dialog, dialog.form(),
                                                 *options.screenshotFile)
                               : savePng(screenPicture(dialog), *options.screenshotFile);
        taken = true;
        return int{QDialog::Rejected};
    };
    window.start();
    if (!taken) {
        window.show();
        if (options.search) {
            window.form().searchAction();
        }
        saved = options.dialog ? shootWithDialog(*options.dialog, window, window, window.form(),
                                                 *options.screenshotFile)
                               : savePng(screenPicture(window), *options.screenshotFile);
    }
    return saved ? 0 : 1;
}

}  // namespace velomar
