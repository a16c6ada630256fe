#pragma once

#ifdef __EMSCRIPTEN__

#include <optional>
#include <string>

#include "settings/browser_store_text.h"
#include "settings/settings_backend.h"

namespace velomar {

// The web app's store: the browser's local storage, where one item holds every key and value
// (browser_store_text.h). Writing one item is one step, so a transaction's changes are stored
// whole or not at all, and a write that the browser refuses (storage full, storage switched
// off, private browsing) leaves the item as it was: the operation fails with Failed and no
// value is lost. Every operation reads the item afresh, so another tab's changes are seen at
// the next read; inside a transaction the store read at its beginning is worked on.
class BrowserSettingsBackend : public SettingsBackend {
  public:
    explicit BrowserSettingsBackend(std::string itemName = "velomar.settings");

    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    void rollbackTransaction() override;
    std::string failureText() const override { return m_failureText; }

    const std::string& itemName() const { return m_itemName; }

    // For the keys: the store being worked on (read again when a change was refused; null
    // when the browser refuses it), and storing it after a change.
    BrowserStore* current();
    bool changed();

  private:
    // The item read into m_store; an item that is not a store is moved aside first. False
    // when the browser refuses the storage.
    bool load();
    bool save();
    bool fail(std::string why);

    std::string m_itemName;
    std::optional<BrowserStore> m_store;
    bool m_inTransaction = false;
    std::string m_failureText;
};

}  // namespace velomar

#endif  // __EMSCRIPTEN__
