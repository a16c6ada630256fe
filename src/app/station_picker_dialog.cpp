#include "app/station_picker_dialog.h"

#include <QLabel>

#include "app/dialog_parts.h"
#include "app/form_widgets.h"
#include "app/qt_text.h"
#include "app/tile_button.h"

namespace velomar {

StationPickerDialog::StationPickerDialog(Layout layout, ScreenSize screen, bool departure,
                                         QWidget* parent)
    : EmulatedDialog(screen, parent), m_layout(layout) {
    const DialogUnits units = shape(
        PickerTemplate(layout),
        layout == Layout::Portrait ? DialogUnitsFor(screen) : SquareDialogUnits(screen), screen);
    m_picker.SetStart(departure);
    addEndLabel(layout, screen, departure);
    for (const PickerListSpec& listSpec : PickerLists()) {
        addGroupList(listSpec, units);
    }

    auto makeButton = [this, units](std::u16string_view text, const DuRect& rect) {
        auto* button = new TileButton(client());
        button->setText(ToQString(text));
        if (const auto at = ToPixels(rect, units)) {
            button->setGeometry(ToQRect(*at));
        }
        return button;
    };
    m_ok = makeButton(kPickerOkText, kPickerOkRect);
    m_cancel = makeButton(kPickerCancelText, kPickerCancelRect);
    ConnectClick(m_ok, this, [this] { accept(); });
    ConnectClick(m_cancel, this, [this] { reject(); });
    setDefaultButton(m_ok);
}

void StationPickerDialog::addEndLabel(Layout layout, ScreenSize screen, bool departure) {
    const PickerEndLabel end = PickerEndLabelFor(layout, screen.width, departure);
    // A tile drawn like the main screen's; it reacts to nothing.
    m_endLabel = new TileButton(client());
    m_endLabel->setObjectName(QStringLiteral("endLabel"));
    if (const ButtonTile* tile = FindButtonTile(end.bitmapId)) {
        m_endLabel->setText(ToQString(tile->lettering));
    }
    m_endLabel->setFocusPolicy(Qt::NoFocus);
    m_endLabel->setTiles(end.bitmapId, end.bitmapId);
    m_endLabel->setGeometry(end.x, end.y, end.width, end.height);
}

void StationPickerDialog::addGroupList(const PickerListSpec& listSpec, DialogUnits units) {
    auto* label = new QLabel(ToQString(listSpec.label), client());
    const DuRect labelRect{listSpec.labelX, listSpec.labelY, kPickerLabelWidthDu,
                           kPickerLabelHeightDu};
    if (const auto at = ToPixels(labelRect, units)) {
        label->setGeometry(ToQRect(*at));
    }
    auto* list = new DropDownList(client());
    for (int row = 0; row < GroupSize(listSpec.group); ++row) {
        list->addItem(ToQString(GroupEntry(listSpec.group, row).name));
    }
    list->setCurrentIndex(m_picker.shownRow(listSpec.group));
    list->setEnabled(PickerGroupEnabled(listSpec.group));
    const int closedHeight =
        ToPixels({0, 0, 0, kClosedDropDownHeightDu}, units).value_or(PixelRect{}).height;
    if (const auto at = ToPixels(listSpec.list, units)) {
        list->setGeometry(at->x, at->y, at->width, closedHeight);
    }
    list->setDroppedHeight(PickerDroppedListHeight(m_layout, listSpec.group, units));
    const int controlId = PickerListId(m_layout, listSpec.group);
    connect(list, &QComboBox::activated, this,
            [this, controlId](int row) { listPicked(controlId, row); });
    m_labels.push_back(label);
    m_lists.push_back(list);
}

void StationPickerDialog::listPicked(int controlId, int row) {
    m_picker.selectionChanged(PickerGroupOfListId(m_layout, controlId), row);
}

QComboBox* StationPickerDialog::groupList(int group) const {
    return group >= 0 && group < static_cast<int>(m_lists.size())
               ? m_lists[static_cast<std::size_t>(group)]
               : nullptr;
}

QLabel* StationPickerDialog::groupLabel(int group) const {
    return group >= 0 && group < static_cast<int>(m_labels.size())
               ? m_labels[static_cast<std::size_t>(group)]
               : nullptr;
}

PickerOutcome StationPickerDialog::outcome() const {
    return {result() == QDialog::Accepted, m_picker.GetStation()};
}

PickerRunner MakePickerRunner(Layout layout, ScreenSize screen, QWidget* parent,
                              PickerDialogRunner run) {
    if (!run) {
        run = [](StationPickerDialog& dialog) { return dialog.exec(); };
    }
    return [layout, screen, parent, run](bool departure) {
        StationPickerDialog dialog(layout, screen, departure, parent);
        const int code = run(dialog);
        return PickerOutcome{code == QDialog::Accepted, dialog.picker().GetStation()};
    };
}

}  // namespace velomar
