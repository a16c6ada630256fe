#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "settings/settings_backend.h"

namespace velomar::cli {

struct CliContext;

// The settings store of one run of the CLI.
struct CliSettingsStore {
    std::unique_ptr<SettingsBackend> backend;  // never null
    bool usable = true;                        // false: every operation on it fails
    std::filesystem::path file;                // the SQLite file; empty on Windows
    // Why an unusable store could not be opened: Busy when another program held it locked.
    SettingsStatus openFailure = SettingsStatus::Ok;
};

// The store of this run: --settings FILE, else the default place. A store that cannot be
// opened is returned too (not usable). When an unusable file had to be moved aside, says so
// once on context.err.
CliSettingsStore OpenCliSettings(const CliContext& context);

// How messages name a store: its file for the terminal, "(no place for it)" when no place
// for one was found, "(registry)" on Windows.
std::string StoreName(const CliSettingsStore& store);

// Why a request failed, for messages: "the settings store FILE is busy: ..." for Busy, else
// "... could not be read" (or "written") with the store's own words when it has them.
std::string StoreTrouble(const CliSettingsStore& store, SettingsStatus status, bool writing);

}  // namespace velomar::cli
