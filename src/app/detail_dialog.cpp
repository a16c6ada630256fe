#include "app/detail_dialog.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "app/dialog_parts.h"
#include "app/qt_text.h"
#include "screens/detail_layout.h"

namespace velomar {

QString DetailTimeText(std::u16string_view time) {
    return ToQString(StopTimeText(time));
}

DetailDialog::DetailDialog(Layout layout, ScreenSize screen, const StopList& stops, QWidget* parent)
    : EmulatedDialog(screen, parent) {
    const DialogTemplate& data = DetailTemplate(layout);
    const DialogUnits units =
        shape(data, layout == Layout::Portrait ? DialogUnitsFor(screen) : SquareDialogUnits(screen),
              screen);
    place(layout, screen, units);

    m_list = TwoColumnList(*client(), nullptr);
    if (const DialogItem* item = data.item(DetailListId(layout))) {
        if (const auto rect = ToPixels(item->rect, units)) {
            m_list->setGeometry(ToQRect(*rect));
        }
    }
    m_list->setHeaderLabels({ToQString(kDetailNameHeader), ToQString(kDetailTimeHeader)});
    const DetailPlacement placement = DetailDialogPlacement(layout, screen.width);
    m_list->setColumnWidth(0, placement.nameWidth);
    m_list->setColumnWidth(1, placement.timeWidth);
    showStops(stops);
    showEveryStop(screen);
}

void DetailDialog::showEveryStop(ScreenSize screen) {
    if (m_list->topLevelItemCount() == 0) {
        return;
    }
    const StopListMeasure measure{m_list->height() - 2 * m_list->frameWidth(),
                                  m_list->header()->sizeHint().height(), m_list->sizeHintForRow(0)};
    const int growth = DetailDialogGrowth(
        measure, static_cast<std::size_t>(m_list->topLevelItemCount()), screen.height - height());
    growBy(growth);
    m_list->resize(m_list->width(), m_list->height() + growth);
}

void DetailDialog::place(Layout layout, ScreenSize screen, DialogUnits units) {
    // A place on the handheld's screen: the one the layout moves it to, else its template's.
    const DetailPlacement placement = DetailDialogPlacement(layout, screen.width);
    if (placement.moveTo) {
        setPlace(placement.moveTo);
    } else if (const auto at = ToPixels(DetailTemplateRect(layout), units)) {
        setPlace(ScreenPoint{at->x, at->y});
    }
}

void DetailDialog::showStops(const StopList& stops) {
    const QColor blue(kDetailTextColor.red, kDetailTextColor.green, kDetailTextColor.blue);
    for (std::size_t i = 0; i < stops.count(); ++i) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(0, ToQString(stops.stationNames[i]));
        row->setText(1, i < stops.times.size() ? DetailTimeText(stops.times[i]) : QString());
        for (int column = 0; column < 2; ++column) {
            row->setTextAlignment(column, Qt::AlignCenter);
            row->setForeground(column, blue);
        }
    }
}

}  // namespace velomar
