#pragma once

#include <functional>
#include <vector>

#include "app/emulated_dialog.h"
#include "platform/host.h"
#include "screens/station_picker.h"

class QComboBox;
class QLabel;

namespace velomar {

class TileButton;

// Fourteen group lists; a pick in any list becomes the served end's result.
class StationPickerDialog : public EmulatedDialog {
  public:
    StationPickerDialog(Layout layout, ScreenSize screen, bool departure,
                        QWidget* parent = nullptr);

    StationPicker& picker() { return m_picker; }
    QComboBox* groupList(int group) const;
    QLabel* groupLabel(int group) const;
    TileButton* endLabel() const { return m_endLabel; }
    TileButton* okButton() const { return m_ok; }
    TileButton* cancelButton() const { return m_cancel; }

    PickerOutcome outcome() const;

  private:
    void addEndLabel(Layout layout, ScreenSize screen, bool departure);
    void addGroupList(const PickerListSpec& listSpec, DialogUnits units);
    // The pick in the list with this control id, whichever layout's ids it carries.
    void listPicked(int controlId, int row);

    Layout m_layout;
    StationPicker m_picker;
    std::vector<QComboBox*> m_lists;
    std::vector<QLabel*> m_labels;
    TileButton* m_endLabel = nullptr;
    TileButton* m_ok = nullptr;
    TileButton* m_cancel = nullptr;
};

// Runs a picker modally; the favourites' "찾기" always uses the portrait one.
using PickerDialogRunner = std::function<int(StationPickerDialog&)>;
PickerRunner MakePickerRunner(Layout layout, ScreenSize screen, QWidget* parent,
                              PickerDialogRunner run = {});

}  // namespace velomar
