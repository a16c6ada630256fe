#include "app/app_options.h"

#include <charconv>
#include <utility>

#include "platform/utf8.h"
#include "screens/screen_zoom.h"
#include "timetable/calendar_date.h"

namespace velomar {
namespace {

std::optional<int> parseNumber(std::string_view text) {
    int value = 0;
    // Digits only: from_chars alone takes a minus sign, and "-1:05" would become hour -1.
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

const char* const kAppUsage =
    "usage: velomar [--screen WxH] [--zoom fit|N] [--settings FILE] [--data DIR]\n"
    "               [--screenshot FILE [--search] [--dialog NAME]] [--time HH:MM]\n"
    "               [--date YYYYMMDD] [--first-frame-time]\n"
    "  --screen WxH       emulated handheld screen in pixels (default 480x800)\n"
    "  --zoom fit|N       draw the screen N times its size, 0.25 to 8 (2, 0.5, 1.5...),\n"
    "                     less when the window would leave the desktop or the screen\n"
    "                     be drawn over 4096 pixels a side; fit (the default) shrinks\n"
    "                     it to fit the desktop, else 1\n"
    "  --settings FILE    settings store (SQLite; default $VELOMAR_SETTINGS or\n"
    "                     ~/.config/velomar/settings.sqlite3)\n"
    "  --data DIR         folder that holds TimeData/; default: $VELOMAR_DATA, else the\n"
    "                     first of these that holds TimeData/: the program's folder,\n"
    "                     $XDG_DATA_HOME/velomar (else ~/.local/share/velomar), the\n"
    "                     installed samples (../share/velomar from the program's folder)\n"
    "  --screenshot FILE  render the screen after start-up to a PNG file and exit\n"
    "  --search           press Search before the screenshot is taken\n"
    "  --dialog NAME      open a dialog before the screenshot: picker, detail (after a\n"
    "                     search, the first row), favorites, options or about\n"
    "  --first-frame-time print the milliseconds from start to the first painted frame\n"
    "                     and exit\n"
    "  --time HH:MM       use this time of day instead of the clock\n"
    "  --date YYYYMMDD    take this day for today (timetables with dates), for\n"
    "                     screenshots and scripted runs; the clock stands still\n";

std::optional<ShownDialog> ParseShownDialog(std::string_view name) {
    static constexpr std::pair<std::string_view, ShownDialog> kNames[] = {
        {"picker", ShownDialog::Picker},       {"detail", ShownDialog::Detail},
        {"favorites", ShownDialog::Favorites}, {"options", ShownDialog::Options},
        {"about", ShownDialog::About},
    };
    for (const auto& [text, dialog] : kNames) {
        if (name == text) {
            return dialog;
        }
    }
    return std::nullopt;
}

bool HasDisplay(const char* (*getenv)(const char*)) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

std::optional<ScreenSize> ParseScreenSize(const std::string& text) {
    const auto cross = text.find('x');
    if (cross == std::string::npos) {
        return std::nullopt;
    }
    const auto width = parseNumber(std::string_view(text).substr(0, cross));
    const auto height = parseNumber(std::string_view(text).substr(cross + 1));
    if (!width || !height || *width < 120 || *width > 4096 || *height < 120 || *height > 4096) {
        return std::nullopt;
    }
    return ScreenSize{*width, *height};
}

std::optional<std::optional<double>> ParseZoom(const std::string& text) {
    if (text == "fit") {
        return std::optional<double>{};
    }
    // Whole number and hundredths as digits, so "1e1", "inf" and " 2" are not factors.
    const auto point = text.find('.');
    const auto whole = parseNumber(std::string_view(text).substr(0, point));
    int hundredths = 0;
    if (point != std::string::npos) {
        const std::string_view decimals = std::string_view(text).substr(point + 1);
        const auto digits = parseNumber(decimals);
        if (!digits || decimals.size() > 2) {
            return std::nullopt;
        }
        hundredths = decimals.size() == 1 ? *digits * 10 : *digits;
    }
    if (!whole) {
        return std::nullopt;
    }
    const double factor = *whole + hundredths / 100.0;
    if (factor < kSmallestZoom || factor > kLargestZoom) {
        return std::nullopt;
    }
    return std::optional<double>{factor};
}

std::optional<LocalTime> ParseClockTime(const std::string& text) {
    if (text.size() != 5 || text[2] != ':') {
        return std::nullopt;
    }
    const auto hour = parseNumber(std::string_view(text).substr(0, 2));
    const auto minute = parseNumber(std::string_view(text).substr(3, 2));
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    return LocalTime{*hour, *minute};
}

namespace {

bool takesValue(std::string_view name) {
    for (std::string_view option : {"--dialog", "--screen", "--zoom", "--time", "--date",
                                    "--settings", "--data", "--screenshot"}) {
        if (name == option) {
            return true;
        }
    }
    return false;
}

// Sets an option that takes a value; the error text when the value does not do.
std::optional<std::string> setValueOption(const std::string& name, const std::string& text,
                                          AppOptions& options) {
    if (name == "--dialog") {
        options.dialog = ParseShownDialog(text);
        if (!options.dialog) {
            return "--dialog: expected picker, detail, favorites, options or about, got \"" +
                   TerminalText(text) + "\"";
        }
    } else if (name == "--screen") {
        const auto screen = ParseScreenSize(text);
        if (!screen) {
            return "--screen: expected WxH (120 to 4096 each), got \"" + TerminalText(text) + "\"";
        }
        options.screen = *screen;
    } else if (name == "--zoom") {
        const auto zoom = ParseZoom(text);
        if (!zoom) {
            return "--zoom: expected fit or a factor from 0.25 to 8, got \"" + TerminalText(text) +
                   "\"";
        }
        options.zoom = *zoom;
    } else if (name == "--time") {
        options.fixedTime = ParseClockTime(text);
        if (!options.fixedTime) {
            return "--time: expected HH:MM, got \"" + TerminalText(text) + "\"";
        }
    } else if (name == "--date") {
        options.fixedDay = AcceptedDayNumber(text);
        if (!options.fixedDay) {
            return "--date: expected YYYYMMDD (00010101 to 99991224), got \"" + TerminalText(text) +
                   "\"";
        }
    } else {
        if (text.empty()) {
            return name + " needs a value";
        }
        auto& target = name == "--settings" ? options.settingsFile
                       : name == "--data"   ? options.dataDirectory
                                            : options.screenshotFile;
        target = std::filesystem::path(text);
    }
    return std::nullopt;
}

}  // namespace

AppOptionsResult ParseAppOptions(const std::vector<std::string>& args) {
    AppOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--search") {
            options.search = true;
        } else if (name == "--first-frame-time") {
            options.firstFrameTime = true;
        } else if (!takesValue(name)) {
            return {std::nullopt, "unknown option \"" + TerminalText(args[i]) + "\""};
        } else {
            if (!value && i + 1 < args.size()) {
                value = args[++i];
            }
            if (!value) {
                return {std::nullopt, name + " needs a value"};
            }
            if (auto error = setValueOption(name, *value, options)) {
                return {std::nullopt, std::move(*error)};
            }
        }
    }
    if (options.dialog && !options.screenshotFile) {
        return {std::nullopt, "--dialog needs --screenshot"};
    }
    return {options, {}};
}

}  // namespace velomar
