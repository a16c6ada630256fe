#include "settings/settings_path.h"

#include <cstdlib>

namespace velomar {

namespace {

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::filesystem::path DefaultSettingsPath() {
    if (const char* file = environment("VELOMAR_SETTINGS")) {
        return file;
    }
    const std::filesystem::path relative = std::filesystem::path("velomar") / "settings.sqlite3";
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (const char* config = environment("XDG_CONFIG_HOME")) {
        const std::filesystem::path base = config;
        if (base.is_absolute()) {
            return base / relative;
        }
    }
    if (const char* home = environment("HOME")) {
        return std::filesystem::path(home) / ".config" / relative;
    }
    // Nowhere to keep settings: an empty path opens no store.
    return {};
}

}  // namespace velomar
