#pragma once

#include <memory>

#include "settings/settings_backend.h"

namespace velomar::cli {

struct CliContext;

// The settings store of this run: --settings FILE, else the default place. Never nothing:
// a store that cannot be opened is returned too, and its operations fail. When an unusable
// file had to be moved aside, says so once on context.err.
std::unique_ptr<SettingsBackend> OpenCliSettings(const CliContext& context);

}  // namespace velomar::cli
