// The date drop-down of the page's main screen, by the rules of screens/date_control.h.
#include "screens/date_control.h"
#include "web/web_session.h"

namespace velomar {

DateView WebSession::dateView() {
    DateView shown;
    if (!m_portrait || m_ended) {
        return shown;
    }
    const SearchDate& date = screen().date();
    const int today = screen().today();
    shown.shown = date.shown();
    if (shown.shown) {
        for (DateEntry& entry : DateEntries(date, today)) {
            shown.entries.push_back(std::move(entry.text));
        }
        shown.selection = SelectedDateEntry(date, today);
    }
    return shown;
}

DateView WebSession::pickDate(int entry) {
    if (!m_portrait || m_ended) {
        return {};
    }
    MainScreen& main = screen();
    const DateEntryOutcome outcome = PickDateEntry(main.date(), entry, main.today());
    DateView shown = dateView();
    if (outcome == DateEntryOutcome::OpenPicker) {
        shown.openPicker = true;
        for (const int day : PickerDays(main.date())) {
            shown.days.push_back(DateLabel(day));
        }
        shown.startRow = PickerStartRow(main.date(), main.today());
    }
    return shown;
}

DateView WebSession::pickDay(int row) {
    if (m_portrait && !m_ended && row >= 0) {
        PickDay(screen().date(), row);
    }
    return dateView();
}

}  // namespace velomar
