#include "app/date_box.h"

#include <QAbstractButton>

#include "app/dialog_parts.h"
#include "app/qt_text.h"
#include "screens/date_control.h"

namespace velomar {

DatePickerDialog::DatePickerDialog(const SearchDate& date, int today, ScreenSize screen,
                                   QWidget* parent)
    : EmulatedDialog(screen, parent) {
    const DialogTemplate& data = *FindDialogTemplate(kDatePickerTemplate);
    const DialogUnits units = shape(data, DialogUnitsFor(screen), screen);
    auto* controls = new TemplateForm(*client(), data, units);
    QWidget* placeholder = controls->control(date_picker_id::kDayList);
    m_days = new QListWidget(client());
    m_days->setGeometry(placeholder->geometry());
    placeholder->hide();
    for (const int day : PickerDays(date)) {
        m_days->addItem(ToQString(DateLabel(day)));
    }
    m_days->setCurrentRow(PickerStartRow(date, today));
    m_days->scrollToItem(m_days->currentItem(), QAbstractItemView::PositionAtCenter);
    connect(m_days, &QListWidget::itemActivated, this, [this] { accept(); });
    ConnectClick(controls->control(date_picker_id::kOk), this, [this] { accept(); });
    ConnectClick(controls->control(date_picker_id::kCancel), this, [this] { reject(); });
    setDefaultButton(controls->controlAs<QAbstractButton>(date_picker_id::kOk));
    delete controls;  // the widgets belong to the client area
    m_days->setFocus();
}

DateBox::DateBox(MainScreen& screen, ScreenSize emulated, QWidget* parent)
    : DropDownList(parent), m_screen(screen), m_emulated(emulated) {
    runPicker = [](DatePickerDialog& dialog) { return dialog.exec(); };
    connect(this, &QComboBox::activated, this, [this](int index) { pickEntry(index); });
    refresh();
}

void DateBox::refresh() {
    const SearchDate& date = m_screen.date();
    setVisible(date.shown());
    const QSignalBlocker quiet(this);
    clear();
    for (const DateEntry& entry : DateEntries(date, m_screen.today())) {
        addItem(ToQString(entry.text));
    }
    setCurrentIndex(SelectedDateEntry(date, m_screen.today()));
}

void DateBox::pickEntry(int index) {
    SearchDate& date = m_screen.date();
    if (PickDateEntry(date, index, m_screen.today()) == DateEntryOutcome::OpenPicker) {
        DatePickerDialog picker(date, m_screen.today(), m_emulated, window());
        if (runPicker(picker) == QDialog::Accepted) {
            PickDay(date, picker.chosenRow());
        }
    }
    refresh();  // a cancelled picker shows the choice as it was
}

void DateBox::showPopup() {
    refresh();  // today and tomorrow move on with the clock
    DropDownList::showPopup();
}

}  // namespace velomar
