#include "screens/options.h"

#include <array>
#include <cstdint>

#include "settings/settings_store.h"

namespace velomar {

namespace {

constexpr std::array<DialogItem, 4> kOptionsItems{{
    {kOptionsOkId, ItemClass::Button, u"확인", {7, 96, 50, 14}},
    {kOptionsCancelId, ItemClass::Button, u"취소", {62, 96, 50, 14}},
    {kStaticItemId, ItemClass::Static, u"검색 결과 수 :  ", {7, 23, 43, 11}},
    {kOptionsListId, ItemClass::DropDownList, u"", {61, 20, 46, 71}},
}};

const DialogTemplate kOptionsDialog{kOptionsTemplate, 122, 153,          u"Dialog",
                                    u"굴림",          10,  kOptionsItems};

bool shortScreen(int screenHeight) {
    return screenHeight < 400;
}

std::u16string decimal(int value) {
    std::u16string text;
    for (char c : std::to_string(value)) {
        text += static_cast<char16_t>(c);
    }
    return text;
}

}  // namespace

const DialogTemplate& OptionsTemplate() {
    return kOptionsDialog;
}

std::vector<std::u16string> OptionsEntries(int screenHeight) {
    const int largest = shortScreen(screenHeight) ? 9 : 14;
    std::vector<std::u16string> entries;
    for (int size = kSmallestPageSize; size <= largest; ++size) {
        entries.push_back(decimal(size));
    }
    return entries;
}

int OptionsDefaultSelection(int screenHeight) {
    return shortScreen(screenHeight) ? 2 : 8;
}

OptionsDialogRules::OptionsDialogRules(SettingsBackend& settings, int screenHeight)
    : m_settings(settings), m_screenHeight(screenHeight) {}

void OptionsDialogRules::start() {
    m_entries = OptionsEntries(m_screenHeight);
    std::uint32_t stored = 0;  // stays 0 when the key cannot be opened
    ReadNumberSetting(m_settings, kSettingsRoot, kSettingsKeyPath, kResultCountName, &stored);
    if (stored == 0) {
        m_selection = OptionsDefaultSelection(m_screenHeight);
        return;
    }
    // Computed wide: a huge stored value must not wrap into the list.
    const long long index = static_cast<long long>(stored) - kSmallestPageSize;
    m_selection = index >= 0 && index < static_cast<long long>(m_entries.size())
                      ? static_cast<int>(index)
                      : -1;
}

void OptionsDialogRules::select(int index) {
    m_selection = index >= 0 && index < static_cast<int>(m_entries.size()) ? index : -1;
}

bool OptionsDialogRules::accept() {
    if (m_selection < 0) {
        return false;
    }
    return WriteNumberSetting(m_settings, kSettingsRoot, kSettingsKeyPath, kResultCountName,
                              static_cast<std::uint32_t>(m_selection + kSmallestPageSize));
}

}  // namespace velomar
