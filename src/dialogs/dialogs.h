#pragma once

// The four modal dialogs of the main screen as thin widgets over their Qt-free rules, and the
// wiring that opens them from the menu, the station buttons and a tapped result row.

#include <QDialog>
#include <functional>

#include "screens/detail_layout.h"
#include "screens/favorites.h"
#include "screens/main_screen.h"
#include "screens/options.h"
#include "screens/station_picker.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace velomar {

class MainWindow;
class TileButton;
class ScreenForm;
class TemplateForm;

// Page size choice, template 190. OK stores the selection; Cancel stores nothing.
class OptionsDialog : public QDialog {
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

// The stops of one train: station name and time, in blue, no buttons.
class DetailDialog : public QDialog {
  public:
    DetailDialog(Layout layout, ScreenSize screen, const StopList& stops,
                 QWidget* parent = nullptr);
    QTreeWidget* stopList() const { return m_list; }

  private:
    QTreeWidget* m_list = nullptr;
};

// "1234" -> "12:34"; any other text is shown as it stands.
QString DetailTimeText(std::u16string_view time);

// Fourteen group lists; a pick in any list becomes the served end's result.
class StationPickerDialog : public QDialog {
  public:
    StationPickerDialog(Layout layout, ScreenSize screen, bool departure,
                        QWidget* parent = nullptr);

    StationPicker& picker() { return m_picker; }
    QComboBox* groupList(int group) const;
    QLabel* groupLabel(int group) const;
    TileButton* endLabel() const { return m_endLabel; }
    QWidget* okButton() const { return m_ok; }
    QWidget* cancelButton() const { return m_cancel; }

    PickerOutcome outcome() const;

  private:
    StationPicker m_picker;
    std::vector<QComboBox*> m_lists;
    std::vector<QLabel*> m_labels;
    TileButton* m_endLabel = nullptr;
    QWidget* m_ok = nullptr;
    QWidget* m_cancel = nullptr;
};

// Runs a picker modally; the favourites' "찾기" always uses the portrait one.
using PickerDialogRunner = std::function<int(StationPickerDialog&)>;
PickerRunner MakePickerRunner(Layout layout, ScreenSize screen, QWidget* parent,
                              PickerDialogRunner run = {});

// Stored pairs, template 170.
class FavoritesDialog : public QDialog {
  public:
    FavoritesDialog(SettingsBackend& settings, MessageSink& messages, ScreenSize screen,
                    PickerRunner runPicker, QWidget* parent = nullptr);
    ~FavoritesDialog() override;

    Favorites& rules() { return m_rules; }
    QLineEdit* departureField() const;
    QLineEdit* arrivalField() const;
    QTreeWidget* pairList() const { return m_list; }
    QWidget* control(int id) const;

  private:
    void showTexts();
    void showRows();

    Favorites m_rules;
    PickerRunner m_runPicker;
    TemplateForm* m_controls = nullptr;
    QTreeWidget* m_list = nullptr;
};

// Connects the station buttons and the row tap of one form to the picker and detail dialogs.
void ConnectFormDialogs(ScreenForm& form, const MainScreenServices& services);
// All of them for the window: the menu's favourites and options commands and its form (the
// square form, when one runs, takes the form's hooks over).
void ConnectDialogs(MainWindow& window, const MainScreenServices& services);

}  // namespace velomar
