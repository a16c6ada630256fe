#pragma once

#ifdef _WIN32

#include <string>
#include <utility>

#include "settings/settings_backend.h"

namespace velomar {

// The real per-user registry. Only HKEY_CURRENT_USER is reachable, as the program needs no
// other root. The registry has no transactions here: favourites changes are value by value.
class RegistrySettingsBackend : public SettingsBackend {
  public:
    RegistrySettingsBackend() = default;
    // Every key path is taken below HKEY_CURRENT_USER\`base` instead of the root itself, so
    // tests can work on a scratch key. The base is created as needed, like any key.
    explicit RegistrySettingsBackend(std::u16string base) : m_base(std::move(base)) {}

    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override;

  private:
    std::u16string m_base;
};

}  // namespace velomar

#endif  // _WIN32
