#pragma once

#include <QString>
#include <string_view>

#include "app/emulated_dialog.h"
#include "platform/host.h"
#include "screens/main_screen.h"
#include "search/train_detail.h"

class QTreeWidget;

namespace velomar {

// The stops of one train: station name and time, in blue, no buttons.
class DetailDialog : public EmulatedDialog {
  public:
    DetailDialog(Layout layout, ScreenSize screen, const StopList& stops,
                 QWidget* parent = nullptr);
    QTreeWidget* stopList() const { return m_list; }

  private:
    void place(Layout layout, ScreenSize screen, DialogUnits units);
    void showStops(const StopList& stops);
    // Taller than its template where the screen has room, so no stop hides behind a scroll.
    void showEveryStop(ScreenSize screen);

    QTreeWidget* m_list = nullptr;
};

// The time column's text of a stop (StopTimeText).
QString DetailTimeText(std::u16string_view time);

}  // namespace velomar
