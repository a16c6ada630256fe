#pragma once

#ifdef _WIN32

#include "settings/settings_backend.h"

namespace velomar {

// The real per-user registry. Only HKEY_CURRENT_USER is reachable, as the program needs no
// other root. The registry has no transactions here: favourites changes are value by value.
class RegistrySettingsBackend : public SettingsBackend {
  public:
    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override;
};

}  // namespace velomar

#endif  // _WIN32
