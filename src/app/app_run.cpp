#include "app/app_run.h"

#include <QApplication>
#include <QIcon>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/desktop.h"
#include "app/dialog_wiring.h"
#include "app/first_frame_watch.h"
#include "app/fonts.h"
#include "app/form_widgets.h"
#include "app/main_window.h"
#include "app/qt_message_sink.h"
#include "app/screenshot.h"
#include "app/zoomed_screen.h"
#include "screens/layout_rules.h"
#include "settings/settings_path.h"
#include "settings/sqlite_settings.h"
#include "timetable/data_folder.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"

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

// What is settled before Qt starts: the help text, and whether there is a screen to show the
// window on. Nothing when the run goes on.
std::optional<int> beforeQt(const std::vector<std::string>& args, bool unattended) {
    if (mentions(args, "--help") || mentions(args, "-h")) {
        std::fputs(kAppUsage, stdout);
        return 0;
    }
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
    return std::nullopt;
}

// The arguments as Qt leaves them (it takes its own out), without the program name.
std::vector<std::string> applicationArguments() {
    std::vector<std::string> args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        args.push_back(arguments[i].toStdString());
    }
    return args;
}

// Everything the screens work with, owned for the whole run.
class AppServices {
  public:
    AppServices(const AppOptions& options, bool unattended)
        // The application says nothing about its settings store, as the handheld said
        // nothing about its registry: a broken file is moved aside, an unusable place saves
        // nothing.
        : m_settings(
              SqliteSettingsBackend::Open(options.settingsFile.value_or(DefaultSettingsPath()))),
          m_timetables(m_reader, ChooseDataFolder(options.dataDirectory).folder),
          m_fixedClock(options.fixedTime.value_or(m_systemClock.now()),
                       options.fixedDay.value_or(TodayInKorea())),
          m_clock(options.fixedTime || options.fixedDay ? static_cast<const Clock&>(m_fixedClock)
                                                        : m_systemClock),
          m_boxes([this]() -> QWidget* { return m_window; }),
          m_messages(unattended ? static_cast<MessageSink&>(m_printed) : m_boxes),
          m_screen(options.screen) {}

    MainScreenServices screens() {
        return {*m_settings, m_timetables,           m_run.grid, m_messages, m_clock,
                m_screen,    m_run.squareDialogShown};
    }
    // Message boxes that come while no dialog runs are shown over this window.
    void showMessagesOver(QWidget* window) { m_window = window; }

  private:
    std::unique_ptr<SqliteSettingsBackend> m_settings;
    DiskFileReader m_reader;
    const TimetableDirectory m_timetables;
    SystemClock m_systemClock;
    FixedClock m_fixedClock;
    const Clock& m_clock;
    QWidget* m_window = nullptr;
    QtMessageSink m_boxes;
    StderrMessageSink m_printed;
    MessageSink& m_messages;
    ScreenSize m_screen;
    RunState m_run;
};

void showOnDesktop(QWidget& shown) {
    PlaceOnDesktop(shown);
    shown.show();
    shown.raise();
    // Without a window manager nothing else gives the window the keyboard.
    shown.activateWindow();
}

int runWindow(QApplication& app, MainWindow& window, double zoom) {
    if (zoom < 1.0) {
        // The view must be on the desktop before the square dialog joins its scene.
        ZoomedScreen view(window, zoom);
        window.show();
        showOnDesktop(view);
        window.start();
        return app.exec();
    }
    window.start();
    showOnDesktop(window);
    return app.exec();
}

// Prints the time from `started` to the first painted frame, then leaves.
int runTimed(QApplication& app, MainWindow& window, std::chrono::steady_clock::time_point started) {
    FirstFrameWatch watch(started);
    app.installEventFilter(&watch);
    window.start();
    window.show();
    return app.exec();
}

// Qt takes its own options out of the arguments it is given, so each application object
// gets a copy of them, kept as long as it lives.
struct ArgumentCopy {
    explicit ArgumentCopy(int argc, char** argv) : count(argc), values(argv, argv + argc) {
        values.push_back(nullptr);
    }
    int count;
    std::vector<char*> values;
};

// A zoom above 1 is Qt's scale factor, which it reads when the application object is made:
// the first object is replaced. A smaller one is a scaled view (ZoomedScreen).
std::unique_ptr<QApplication> zoomedApplication(std::unique_ptr<QApplication> app, double zoom,
                                                ArgumentCopy& arguments) {
    if (zoom <= 1.0) {
        return app;
    }
    app.reset();
    const double outer = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                             ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                             : 1.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number((outer > 0 ? outer : 1.0) * zoom));
    return std::make_unique<QApplication>(arguments.count, arguments.values.data());
}

}  // namespace

int RunApplication(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    const std::vector<std::string> raw(argv + 1, argv + argc);
    const bool screenshot = mentions(raw, "--screenshot");
    const bool unattended = screenshot || mentions(raw, "--first-frame-time");
    if (const auto status = beforeQt(raw, unattended)) {
        return *status;
    }

    ArgumentCopy first(argc, argv);
    ArgumentCopy second(argc, argv);
    auto application = std::make_unique<QApplication>(first.count, first.values.data());
    const AppOptionsResult parsed = ParseAppOptions(applicationArguments());
    if (!parsed.options) {
        std::fprintf(stderr, "velomar: %s\n%s", parsed.error.c_str(), kAppUsage);
        return 2;
    }
    const AppOptions& options = *parsed.options;
    const double zoom = ChooseRunZoom(options);
    application = zoomedApplication(std::move(application), zoom, second);
    QApplication& app = *application;
    // The desktop matches the window to its menu entry (name, icon) through this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.velomar.Velomar"));
    QApplication::setWindowIcon(QIcon(ApplicationIcon(128)));
    // Widgets that keep the default font (menus) get the chrome's size, so they share its
    // font engine.
    QApplication::setFont(ScreenFont(kChromeFontPoints, options.screen));

    const auto services = std::make_unique<AppServices>(options, unattended);
    MainWindow window(services->screens());
    services->showMessagesOver(&window);
    ConnectDialogs(window, services->screens());

    if (options.firstFrameTime) {
        return runTimed(app, window, started);
    }
    if (!screenshot) {
        return runWindow(app, window, zoom);
    }
    return TakeScreenshot(window, options) ? 0 : 1;
}

}  // namespace velomar
