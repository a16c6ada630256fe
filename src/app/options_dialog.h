#pragma once

#include "app/emulated_dialog.h"
#include "platform/host.h"
#include "screens/options.h"

class QComboBox;

namespace velomar {

class TemplateForm;

// Page size choice, template 190. OK stores the selection; Cancel stores nothing.
class OptionsDialog : public EmulatedDialog {
  public:
    OptionsDialog(SettingsBackend& settings, ScreenSize screen, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    OptionsDialogRules& rules() { return m_rules; }
    QComboBox* entryList() const;
    QWidget* control(int id) const;

  private:
    OptionsDialogRules m_rules;
    TemplateForm* m_controls = nullptr;
};

}  // namespace velomar
