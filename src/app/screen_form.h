#pragma once

// The main search screen as widgets, in either layout. The rules live in MainScreen: before
// an action the widgets' state is copied into its form, afterwards the form is shown again.

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/form_widgets.h"
#include "app/screen_area.h"
#include "screens/main_screen.h"
#include "screens/station_completion.h"

class QComboBox;
class QLineEdit;

namespace velomar {

class DateBox;
class TileButton;

enum class StationEnd { Departure, Arrival };

// The control ids of one layout.
struct ScreenControlIds {
    int typeList, hourList, minuteList;
    int departureField, arrivalField;
    int departureButton, arrivalButton;
    int prev, search, next;
    int resultList;
};

class ScreenForm : public QWidget {
  public:
    ScreenForm(Layout layout, const MainScreenServices& services, QWidget* parent = nullptr);
    ~ScreenForm() override;

    Layout layout() const { return m_screen->layout(); }
    MainScreen& screen() { return *m_screen; }
    TemplateForm& controls() { return *m_controls; }
    const ScreenControlIds& ids() const { return m_ids; }

    QComboBox* typeList() const;
    QComboBox* hourList() const;
    QComboBox* minuteList() const;
    QLineEdit* departureField() const;
    QLineEdit* arrivalField() const;
    TileButton* button(int id) const;
    ResultListWidget* resultList() const;
    // The date drop-down: the square form's own, the portrait one in the main window's menu
    // bar (handed over with setDateBox). Hidden where the timetables carry no dates.
    DateBox* dateBox() const { return m_dateBox; }
    void setDateBox(DateBox* box) { m_dateBox = box; }
    // What the station fields offer while the user types; the favourites' fields share it.
    const std::shared_ptr<StationSuggestions>& suggestions() const { return m_suggestions; }

    // Start-up of the layout: the screen's own start-up, then (portrait) the columns and
    // tiles of the screen width; the square layout gets its fixed set.
    void runStartUp();
    // Relays the controls out from another template (the portrait form only).
    bool relayout(int templateId);
    // The portrait form got the input focus back: type entry 0 and the current hour again.
    void focusReset();

    // The actions behind the buttons, as one tap runs them.
    void searchAction();
    void prevAction();
    void nextAction();
    void rowTapped(int row);

    // Widgets -> screen form, screen form -> widgets (no selection events raised).
    void pullForm();
    void pushForm();

    // Flows of dialogs built elsewhere. The station buttons do nothing until connected; a
    // row tap runs the detail lookup and hands its stops over.
    std::function<void(ScreenForm&, StationEnd)> stationButtonHook;
    std::function<void(ScreenForm&, const StopList&)> trainDetailHook;

  protected:
    // Enter in a station field runs the Search action.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setUpColumnsAndTiles();
    void showDate();
    void afterAction();

    ScreenSize m_screenSize;
    ScreenControlIds m_ids;
    std::unique_ptr<TemplateForm> m_controls;
    std::unique_ptr<MainScreen> m_screen;
    std::shared_ptr<StationSuggestions> m_suggestions;
    DateBox* m_dateBox = nullptr;
};

// The square main screen, run modally over the portrait form on 320-wide screens, exactly
// where the main window is. OK (and Enter where no focused control takes it) accepts,
// Cancel and Escape reject; its start-up runs when it is created.
class SquareDialog : public QDialog, public ScreenWindow {
  public:
    SquareDialog(const MainScreenServices& services, QWidget* parent = nullptr);
    ~SquareDialog() override;
    ScreenForm& form() { return *m_form; }
    ScreenSize emulatedScreen() const override { return m_screen; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    ScreenSize m_screen;
    ScreenForm* m_form;
};

}  // namespace velomar
