#include "cli/cli_settings.h"

#include <ostream>

#include "cli/cli.h"
#include "cli/cli_support.h"
#ifdef _WIN32
#include "settings/registry_settings.h"
#else
#include "platform/utf8.h"
#include "settings/settings_path.h"
#include "settings/sqlite_settings.h"
#endif

namespace velomar::cli {

std::unique_ptr<SettingsBackend> OpenCliSettings(const CliContext& context) {
#ifdef _WIN32
    // Windows keeps the settings in the registry. --settings names a key below
    // HKEY_CURRENT_USER that stands in for it, so scripts and tests can use a scratch key.
    if (context.settingsFile) {
        return std::make_unique<RegistrySettingsBackend>(context.settingsFile->u16string());
    }
    return std::make_unique<RegistrySettingsBackend>();
#else
    const std::filesystem::path file =
        context.settingsFile ? *context.settingsFile : DefaultSettingsPath();
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    if (report.movedAside) {
        context.err << "velomar-cli: settings file " << TerminalText(PathToUtf8(file))
                    << " was not usable; moved it to " << TerminalText(PathToUtf8(report.movedTo))
                    << " and started afresh\n";
    }
    return store;
#endif
}

}  // namespace velomar::cli
