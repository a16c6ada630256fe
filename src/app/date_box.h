#pragma once

// The day the main screen answers for, as a drop-down of the screen's style: today, tomorrow
// or "날짜 선택", which opens a small dialog listing the days of the timetables' period. The
// rules are those of screens/date_control; like the hour, a choice searches nothing.

#include <QListWidget>
#include <functional>

#include "app/emulated_dialog.h"
#include "app/form_widgets.h"
#include "screens/main_screen.h"

namespace velomar {

// "날짜 선택": the period's days in one list, OK and 취소 (Enter and Escape, a double click).
class DatePickerDialog : public EmulatedDialog {
  public:
    DatePickerDialog(const SearchDate& date, int today, ScreenSize screen,
                     QWidget* parent = nullptr);
    QListWidget* dayList() const { return m_days; }
    int chosenRow() const { return m_days->currentRow(); }

  private:
    QListWidget* m_days = nullptr;
};

class DateBox : public DropDownList {
  public:
    DateBox(MainScreen& screen, ScreenSize emulated, QWidget* parent);

    // The entries and the selection again, from the screen's date and today's clock; hidden
    // where the timetables carry no dates.
    void refresh();
    // Picks entry `index` as a tap in the open list does.
    void pickEntry(int index);
    void showPopup() override;

    // How the picker runs; tests replace it.
    std::function<int(DatePickerDialog&)> runPicker;

  private:
    MainScreen& m_screen;
    ScreenSize m_emulated;
};

}  // namespace velomar
