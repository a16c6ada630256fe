#pragma once

// The options dialog without widgets: the page sizes offered for the screen height, the entry
// selected at start, and what OK stores as "ResultCount".

#include <string>
#include <string_view>
#include <vector>

#include "screens/dialog_template.h"
#include "settings/settings_backend.h"

namespace velomar {

inline constexpr int kOptionsTemplate = 190;
inline constexpr int kOptionsListId = 1056;
inline constexpr int kOptionsOkId = 1;
inline constexpr int kOptionsCancelId = 2;

// Template 190: 122 x 153 dialog units, 굴림 10 points, caption "Dialog" with a system menu.
const DialogTemplate& OptionsTemplate();

// Entry i stands for the page size i + 5.
inline constexpr int kSmallestPageSize = 5;

// Screens lower than 400 pixels offer "5".."9" (the page holds 9 rows there), taller ones
// "5".."14".
std::vector<std::u16string> OptionsEntries(int screenHeight);
// The entry selected when "ResultCount" reads 0: "7" on the short list, "13" on the long one.
int OptionsDefaultSelection(int screenHeight);

class OptionsDialogRules {
  public:
    OptionsDialogRules(SettingsBackend& settings, int screenHeight);

    // Initialisation: fills the entries and selects the stored page size.
    void start();

    const std::vector<std::u16string>& entries() const { return m_entries; }
    // Selected entry, -1 for none.
    int selection() const { return m_selection; }
    // The user picked an entry; an index outside the list clears the selection.
    void select(int index);

    // OK: stores the selected page size. With no entry selected nothing is stored and the
    // old value stays. Returns true when a value was stored.
    bool accept();

  private:
    SettingsBackend& m_settings;
    int m_screenHeight;
    std::vector<std::u16string> m_entries;
    int m_selection = -1;
};

}  // namespace velomar
