#include "app/app_run.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/main_window.h"
#include "app/qt_message_sink.h"
#include "dialogs/dialogs.h"
#include "settings/settings_path.h"
#include "settings/sqlite_settings.h"
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

bool savePng(QWidget& widget, const std::filesystem::path& file) {
    const QPixmap picture = widget.grab();
    if (!picture.save(QString::fromStdString(file.string()), "PNG")) {
        std::fprintf(stderr, "velomar: cannot write %s\n", file.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

int RunApplication(int argc, char** argv) {
    const std::vector<std::string> raw(argv + 1, argv + argc);
    if (mentions(raw, "--help") || mentions(raw, "-h")) {
        std::fputs(kAppUsage, stdout);
        return 0;
    }
    const bool screenshot = mentions(raw, "--screenshot");
    if (!HasDisplay(&environmentValue)) {
        if (!screenshot) {
            std::fputs(
                "velomar: no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not "
                "set); use velomar-cli instead\n",
                stderr);
            return kNoDisplayStatus;
        }
        // A screenshot needs no screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication app(argc, argv);
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

    const std::filesystem::path settingsFile = options.settingsFile.value_or(DefaultSettingsPath());
    SettingsOpenReport report;
    std::unique_ptr<SqliteSettingsBackend> settings =
        SqliteSettingsBackend::Open(settingsFile, &report);
    if (report.movedAside) {
        std::fprintf(stderr, "velomar: unusable settings file moved to %s\n",
                     report.movedTo.string().c_str());
    }
    if (!settings->usable()) {
        std::fprintf(stderr, "velomar: settings store %s cannot be opened; nothing is saved\n",
                     settingsFile.string().c_str());
    }

    DiskFileReader reader;
    const TimetableDirectory timetables(reader,
                                        options.dataDirectory.value_or(ExecutableDirectory()));
    SystemClock systemClock;
    FixedClock fixedClock(options.fixedTime.value_or(LocalTime{}));
    const Clock& clock = options.fixedTime ? static_cast<const Clock&>(fixedClock) : systemClock;

    MainWindow* windowForMessages = nullptr;
    QtMessageSink boxes([&]() -> QWidget* { return windowForMessages; });
    StderrMessageSink printed;
    MessageSink& messages = screenshot ? static_cast<MessageSink&>(printed) : boxes;

    const MainScreenServices services{*settings, timetables, SharedTimetableGrid(),
                                      messages,  clock,      options.screen};
    MainWindow window(services);
    windowForMessages = &window;
    ConnectDialogs(window, services);

    if (!screenshot) {
        window.start();
        window.show();
        window.raise();
        return app.exec();
    }

    // Unattended: render once, after start-up (and the Search press), then leave.
    bool taken = false;
    bool saved = false;
    window.runSquareDialog = [&](SquareDialog& dialog) {
        dialog.show();
        if (options.search) {
            dialog.form().searchAction();
        }
        saved = savePng(dialog, *options.screenshotFile);
        taken = true;
        return int{QDialog::Rejected};
    };
    window.start();
    if (!taken) {
        window.show();
        if (options.search) {
            window.form().searchAction();
        }
        saved = savePng(window, *options.screenshotFile);
    }
    return saved ? 0 : 1;
}

}  // namespace velomar
