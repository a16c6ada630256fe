#pragma once

#include <memory>

#include "app/emulated_dialog.h"
#include "platform/host.h"
#include "platform/message_sink.h"
#include "screens/favorites.h"

class QLineEdit;
class QTreeWidget;

namespace velomar {

class StationSuggestions;
class TemplateForm;

// Stored pairs, template 170.
class FavoritesDialog : public EmulatedDialog {
  public:
    // The fields offer `suggestions` (the main screen's) while the user types.
    FavoritesDialog(SettingsBackend& settings, MessageSink& messages, ScreenSize screen,
                    PickerRunner runPicker, QWidget* parent = nullptr,
                    std::shared_ptr<StationSuggestions> suggestions = nullptr);
    ~FavoritesDialog() override;

    Favorites& rules() { return m_rules; }
    QLineEdit* departureField() const;
    QLineEdit* arrivalField() const;
    QTreeWidget* pairList() const { return m_list; }
    QWidget* control(int id) const;

  private:
    void connectList();
    void connectButtons();
    void showTexts();
    void showRows();

    Favorites m_rules;
    PickerRunner m_runPicker;
    TemplateForm* m_controls = nullptr;
    QTreeWidget* m_list = nullptr;
};

}  // namespace velomar
