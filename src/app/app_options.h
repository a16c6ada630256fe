#pragma once

// Command-line options of the Qt application.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace velomar {

// The dialogs a screenshot can show; "detail" presses Search and taps the first row.
enum class ShownDialog { Picker, Detail, Favorites, Options, About };
std::optional<ShownDialog> ParseShownDialog(std::string_view name);

struct AppOptions {
    ScreenSize screen{480, 800};
    std::optional<std::filesystem::path> settingsFile;
    std::optional<std::filesystem::path> dataDirectory;
    std::optional<std::filesystem::path> screenshotFile;
    bool search = false;  // press Search before the screenshot
    std::optional<LocalTime> fixedTime;
    std::optional<int> fixedDay;  // days since 1970-01-01, taken for today
    // With a screenshot: open this dialog first and picture it over the screen.
    std::optional<ShownDialog> dialog;
    // Print the time from start to the first painted frame and leave.
    bool firstFrameTime = false;
    // How large the screen is drawn; nothing: as large as fits the desktop (1 at most, and
    // 1 for --screenshot and --first-frame-time).
    std::optional<double> zoom;
    bool help = false;
};

struct AppOptionsResult {
    std::optional<AppOptions> options;
    std::string error;  // set when options is empty
};

// Arguments without the program name. Both "--opt value" and "--opt=value" are accepted.
AppOptionsResult ParseAppOptions(const std::vector<std::string>& args);

// "240x320" -> 240 x 320; each side between 120 and 4096 pixels.
std::optional<ScreenSize> ParseScreenSize(const std::string& text);
// "fit" -> nothing; "2", "0.5", "1.25" -> that factor, from 0.25 to 8 with at most two
// decimals. Empty for anything else (the outer optional).
std::optional<std::optional<double>> ParseZoom(const std::string& text);
// "07:05" -> 7, 5; exactly HH:MM on a 24-hour clock.
std::optional<LocalTime> ParseClockTime(const std::string& text);

extern const char* const kAppUsage;

// True when a window can be shown: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set and
// not empty. `getenv` is the environment lookup (std::getenv in the program).
bool HasDisplay(const char* (*getenv)(const char*));

// Exit status when there is no display to show the window on.
inline constexpr int kNoDisplayStatus = 3;

}  // namespace velomar
