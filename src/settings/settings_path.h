#pragma once

#include <filesystem>

namespace velomar {

// $VELOMAR_SETTINGS when set and not empty, else $XDG_CONFIG_HOME/velomar/settings.sqlite3,
// else ~/.config/velomar/settings.sqlite3.
std::filesystem::path DefaultSettingsPath();

}  // namespace velomar
