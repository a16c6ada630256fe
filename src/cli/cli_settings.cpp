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
    CliSettingsStore store;
    if (context.settingsFile) {
        store.backend =
            std::make_unique<RegistrySettingsBackend>(context.settingsFile->u16string());
    } else {
        store.backend = std::make_unique<RegistrySettingsBackend>();
    }
    return store;
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
    const SettingsStatus openFailure = usable ? SettingsStatus::Ok : store->openFailure();
    return {std::move(store), usable, file, openFailure};
#endif
}

std::string StoreName(const CliSettingsStore& store) {
#ifdef _WIN32
    (void)store;
    return "(registry)";
#else
    return store.file.empty() ? std::string("(no place for it)")
                              : TerminalText(PathToUtf8(store.file));
#endif
}

std::string StoreTrouble(const CliSettingsStore& store, SettingsStatus status, bool writing) {
    std::string text = "the settings store " + StoreName(store);
    if (status == SettingsStatus::Busy) {
#ifdef _WIN32
        return text + " is busy";
#else
        return text + " is busy: another program has kept it locked for more than " +
               std::to_string(kSettingsBusyTimeout.count() / 1000) + " s";
#endif
    }
    text += writing ? " could not be written" : " could not be read";
    if (const std::string why = store.backend->failureText(); !why.empty()) {
        text += " (" + why + ")";
    }
    return text;
}

}  // namespace velomar::cli
