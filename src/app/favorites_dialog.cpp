#include "app/favorites_dialog.h"

#include <QLineEdit>
#include <QTreeWidget>

#include "app/dialog_parts.h"
#include "app/form_widgets.h"
#include "app/qt_text.h"
#include "app/station_completer.h"

namespace velomar {

FavoritesDialog::FavoritesDialog(SettingsBackend& settings, MessageSink& messages,
                                 ScreenSize screen, PickerRunner runPicker, QWidget* parent,
                                 std::shared_ptr<StationSuggestions> suggestions)
    : EmulatedDialog(screen, parent),
      m_rules(settings, messages),
      m_runPicker(std::move(runPicker)) {
    const DialogTemplate& data = FavoritesTemplate();
    const DialogUnits units = shape(data, DialogUnitsFor(screen), screen);
    m_controls = new TemplateForm(*client(), data, units);

    m_list = TwoColumnList(*client(), control(favorites_id::kList));
    m_list->setHeaderLabels(
        {ToQString(kFavoritesDepartureHeader), ToQString(kFavoritesArrivalHeader)});
    const FavoriteColumns widths = FavoriteColumnWidths(screen.width);
    m_list->setColumnWidth(0, widths.departure);
    m_list->setColumnWidth(1, widths.arrival);

    m_rules.start();
    showRows();
    showTexts();
    connectList();
    connectButtons();
    AttachStationCompleters({departureField(), arrivalField()}, suggestions);
    setDefaultButton(qobject_cast<QAbstractButton*>(control(favorites_id::kOk)));
}

FavoritesDialog::~FavoritesDialog() {
    delete m_controls;
}

void FavoritesDialog::connectList() {
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        m_rules.rowClicked(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0) {
            m_rules.setChecked(m_list->indexOfTopLevelItem(item),
                               item->checkState(0) == Qt::Checked);
        }
    });
}

void FavoritesDialog::connectButtons() {
    auto find = [this](bool departure) {
        if (m_runPicker) {
            m_rules.find(departure, m_runPicker);
        }
        showTexts();
    };
    ConnectClick(control(favorites_id::kDepartureFind), this, [find] { find(true); });
    ConnectClick(control(favorites_id::kArrivalFind), this, [find] { find(false); });
    ConnectClick(control(favorites_id::kAdd), this, [this] {
        m_rules.add(ToU16(departureField()->text()), ToU16(arrivalField()->text()));
        showRows();
    });
    ConnectClick(control(favorites_id::kDelete), this, [this] {
        m_rules.remove();
        showRows();
    });
    ConnectClick(control(favorites_id::kOk), this, [this] {
        m_rules.select(ToU16(departureField()->text()), ToU16(arrivalField()->text()));
        accept();
    });
    ConnectClick(control(favorites_id::kCancel), this, [this] { reject(); });
}

QLineEdit* FavoritesDialog::departureField() const {
    return m_controls->controlAs<QLineEdit>(favorites_id::kDepartureField);
}

QLineEdit* FavoritesDialog::arrivalField() const {
    return m_controls->controlAs<QLineEdit>(favorites_id::kArrivalField);
}

QWidget* FavoritesDialog::control(int id) const {
    return m_controls->control(id);
}

void FavoritesDialog::showTexts() {
    departureField()->setText(ToQString(m_rules.departureText()));
    arrivalField()->setText(ToQString(m_rules.arrivalText()));
}

void FavoritesDialog::showRows() {
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    const auto& rows = m_rules.rows();
    const auto& checks = m_rules.checks();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, ToQString(rows[i].departure));
        item->setText(1, ToQString(rows[i].arrival));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, i < checks.size() && checks[i] ? Qt::Checked : Qt::Unchecked);
    }
}

}  // namespace velomar
