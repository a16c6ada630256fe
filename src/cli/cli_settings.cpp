#include "cli/cli_settings.h"

#include <ostream>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "platform/utf8.h"
#ifdef _WIN32
#include "settings/registry_settings.h"
#else
#include "settings/settings_path.h"
#include "settings/sqlite_settings.h"
#endif

namespace velomar::cli {

CliSettingsStore OpenCliSettings(const CliContext& context) {
#ifdef _WIN32
    // Windows keeps the settings in the registry, which is always there. --settings names a
    // key below HKEY_CURRENT_USER that stands in for it, so scripts and tests can use a
    // scratch key.
    if (context.settingsFile) {
        return {std::make_unique<RegistrySettingsBackend>(context.settingsFile->u16string())};
    }
    return {std::make_unique<RegistrySettingsBackend>()};
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
    const bool usable = store->usable();
    return {std::move(store), usable, file};
#endif
}

std::string StoreName(const CliSettingsStore& store) {
    return store.file.empty() ? std::string("(no place for it)")
                              : TerminalText(PathToUtf8(store.file));
}

}  // namespace velomar::cli
