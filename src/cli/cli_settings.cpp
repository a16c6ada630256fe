#include "cli/cli_settings.h"

#include <ostream>

#include "cli/cli.h"
#include "settings/settings_path.h"
#include "settings/sqlite_settings.h"

namespace velomar::cli {

std::unique_ptr<SettingsBackend> OpenCliSettings(const CliContext& context) {
    const std::filesystem::path file =
        context.settingsFile ? *context.settingsFile : DefaultSettingsPath();
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    if (report.movedAside) {
        context.err << "velomar-cli: settings file " << file.string()
                    << " was not usable; moved it to " << report.movedTo.string()
                    << " and started afresh\n";
    }
    return store;
}

}  // namespace velomar::cli
