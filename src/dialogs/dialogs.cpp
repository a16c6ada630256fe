#include "dialogs/dialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include "app/form_widgets.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/screen_form.h"
#include "app/tile_button.h"
#include "screens/layout_rules.h"

namespace velomar {

namespace {

QRect ToQRect(const PixelRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

// Sizes the dialog to its template and gives it the template's caption and font.
void ShapeDialog(QDialog& dialog, const DialogTemplate& data, DialogUnits units,
                 ScreenSize screen) {
    const PixelRect whole = ToPixels({0, 0, data.width, data.height}, units).value_or(PixelRect{});
    dialog.setFixedSize(whole.width, whole.height);
    dialog.setWindowTitle(ToQString(data.caption));
    dialog.setFont(TemplateFont(data, screen));
}

void ConnectClick(QWidget* button, QObject* context, const std::function<void()>& action) {
    if (auto* clickable = qobject_cast<QAbstractButton*>(button)) {
        QObject::connect(clickable, &QAbstractButton::clicked, context, action);
    }
}

// A template's report list replaced by a plain two-column list at the same place.
QTreeWidget* TwoColumnList(QWidget& parent, QWidget* placeholder) {
    auto* list = new QTreeWidget(&parent);
    if (placeholder != nullptr) {
        list->setGeometry(placeholder->geometry());
        placeholder->hide();
    }
    list->setColumnCount(2);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(false);  // the widths are fixed per screen
    list->header()->setDefaultAlignment(Qt::AlignCenter);
    return list;
}

}  // namespace

// ---- Options -------------------------------------------------------------------------------

OptionsDialog::OptionsDialog(SettingsBackend& settings, ScreenSize screen, QWidget* parent)
    : QDialog(parent), m_rules(settings, screen.height) {
    const DialogTemplate& data = OptionsTemplate();
    const DialogUnits units = DialogUnitsFor(screen);
    ShapeDialog(*this, data, units, screen);
    m_controls = new TemplateForm(*this, data, units);

    m_rules.start();
    QComboBox* list = entryList();
    for (const std::u16string& entry : m_rules.entries()) {
        list->addItem(ToQString(entry));
    }
    list->setCurrentIndex(m_rules.selection());
    connect(list, &QComboBox::activated, this, [this](int index) { m_rules.select(index); });
    ConnectClick(control(1), this, [this] {
        m_rules.accept();
        accept();
    });
    ConnectClick(control(2), this, [this] { reject(); });
}

OptionsDialog::~OptionsDialog() {
    delete m_controls;
}

QComboBox* OptionsDialog::entryList() const {
    return m_controls->controlAs<QComboBox>(kOptionsListId);
}

QWidget* OptionsDialog::control(int id) const {
    return m_controls->control(id);
}

// ---- Train detail --------------------------------------------------------------------------

QString DetailTimeText(std::u16string_view time) {
    if (time.size() != 4) {
        return ToQString(time);
    }
    return ToQString(time.substr(0, 2)) + QLatin1Char(':') + ToQString(time.substr(2, 2));
}

DetailDialog::DetailDialog(Layout layout, ScreenSize screen, const StopList& stops, QWidget* parent)
    : QDialog(parent) {
    const DialogTemplate& data = DetailTemplate(layout);
    const DialogUnits units =
        layout == Layout::Portrait ? DialogUnitsFor(screen) : SquareDialogUnits(screen);
    ShapeDialog(*this, data, units, screen);
    setWindowTitle(ToQString(kDetailCaption));

    // Places are on the handheld's screen, whose top left is the caller's window.
    const DetailPlacement placement = DetailDialogPlacement(layout, screen.width);
    const QPoint origin =
        parent != nullptr ? parent->window()->mapToGlobal(QPoint(0, 0)) : QPoint();
    if (placement.moveTo) {
        move(origin + QPoint(placement.moveTo->x, placement.moveTo->y));
    } else if (const auto at = ToPixels(DetailTemplateRect(layout), DialogUnitsFor(screen))) {
        move(origin + QPoint(at->x, at->y));
    }

    m_list = TwoColumnList(*this, nullptr);
    if (const DialogItem* item = data.item(DetailListId(layout))) {
        if (const auto rect = ToPixels(item->rect, units)) {
            m_list->setGeometry(ToQRect(*rect));
        }
    }
    m_list->setHeaderLabels({ToQString(kDetailNameHeader), ToQString(kDetailTimeHeader)});
    m_list->setColumnWidth(0, placement.nameWidth);
    m_list->setColumnWidth(1, placement.timeWidth);
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

// ---- Station picker ------------------------------------------------------------------------

StationPickerDialog::StationPickerDialog(Layout layout, ScreenSize screen, bool departure,
                                         QWidget* parent)
    : QDialog(parent) {
    const DialogUnits units =
        layout == Layout::Portrait ? DialogUnitsFor(screen) : SquareDialogUnits(screen);
    const PixelRect whole =
        ToPixels({0, 0, kPickerWidthDu, kPickerHeightDu}, units).value_or(PixelRect{});
    setFixedSize(whole.width, whole.height);
    setWindowTitle(ToQString(kPickerCaption));
    QFont font(QStringLiteral("NanumGothic"));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPixelSize(FontPixelSize(PickerFontPoints(layout), screen));
    setFont(font);

    m_picker.SetStart(departure);

    const PickerEndLabel end = PickerEndLabelFor(layout, screen.width, departure);
    // A tile drawn like the main screen's; it reacts to nothing.
    m_endLabel = new TileButton(this);
    m_endLabel->setObjectName(QStringLiteral("endLabel"));
    m_endLabel->setText(departure ? QStringLiteral("출발역") : QStringLiteral("도착역"));
    m_endLabel->setFocusPolicy(Qt::NoFocus);
    m_endLabel->setTiles(end.bitmapId, end.bitmapId);
    m_endLabel->setGeometry(end.x, end.y, end.width, end.height);

    const int comboHeight = ToPixels({0, 0, 0, 12}, units).value_or(PixelRect{}).height;
    for (const PickerListSpec& listSpec : PickerLists()) {
        auto* label = new QLabel(ToQString(listSpec.label), this);
        if (const auto at = ToPixels({listSpec.labelX, listSpec.labelY, 14, 10}, units)) {
            label->setGeometry(ToQRect(*at));
        }
        auto* list = new QComboBox(this);
        list->setEditable(false);
        for (int row = 0; row < GroupSize(listSpec.group); ++row) {
            list->addItem(ToQString(GroupEntry(listSpec.group, row).name));
        }
        list->setCurrentIndex(m_picker.shownRow(listSpec.group));
        list->setEnabled(PickerGroupEnabled(listSpec.group));
        if (const auto at = ToPixels(listSpec.list, units)) {
            list->setGeometry(at->x, at->y, at->width, comboHeight);
        }
        const int group = listSpec.group;
        connect(list, &QComboBox::activated, this,
                [this, group](int row) { m_picker.selectionChanged(group, row); });
        m_labels.push_back(label);
        m_lists.push_back(list);
    }

    auto makeButton = [this, units](std::u16string_view text, const DuRect& rect) {
        auto* button = new TileButton(this);
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

// ---- Favourites ----------------------------------------------------------------------------

FavoritesDialog::FavoritesDialog(SettingsBackend& settings, MessageSink& messages,
                                 ScreenSize screen, PickerRunner runPicker, QWidget* parent)
    : QDialog(parent), m_rules(settings, messages), m_runPicker(std::move(runPicker)) {
    const DialogTemplate& data = FavoritesTemplate();
    const DialogUnits units = DialogUnitsFor(screen);
    ShapeDialog(*this, data, units, screen);
    setWindowTitle(ToQString(kFavoritesCaption));
    m_controls = new TemplateForm(*this, data, units);

    m_list = TwoColumnList(*this, control(favorites_id::kList));
    m_list->setHeaderLabels(
        {ToQString(kFavoritesDepartureHeader), ToQString(kFavoritesArrivalHeader)});
    const FavoriteColumns widths = FavoriteColumnWidths(screen.width);
    m_list->setColumnWidth(0, widths.departure);
    m_list->setColumnWidth(1, widths.arrival);

    m_rules.start();
    showRows();
    showTexts();

    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        m_rules.rowClicked(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0) {
            m_rules.setChecked(m_list->indexOfTopLevelItem(item),
                               item->checkState(0) == Qt::Checked);
        }
    });
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

FavoritesDialog::~FavoritesDialog() {
    delete m_controls;
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

// ---- Wiring --------------------------------------------------------------------------------

void ConnectFormDialogs(ScreenForm& form, const MainScreenServices& services) {
    const ScreenSize screen = services.screen;
    form.stationButtonHook = [screen](ScreenForm& target, StationEnd end) {
        // Keep the other controls as the user left them; only the two fields change.
        target.pullForm();
        OpenStationPickerFrom(target.screen(), end == StationEnd::Departure,
                              MakePickerRunner(target.layout(), screen, &target));
        target.pushForm();
    };
    form.trainDetailHook = [screen](ScreenForm& target, const StopList& stops) {
        DetailDialog dialog(target.layout(), screen, stops, &target);
        dialog.exec();
    };
}

void ConnectDialogs(MainWindow& window, const MainScreenServices& services) {
    ConnectFormDialogs(window.form(), services);
    MainWindow* owner = &window;
    window.optionsCommand = [owner, services](ScreenForm&) {
        OptionsDialog dialog(services.settings, services.screen, owner);
        dialog.exec();
    };
    window.favoritesCommand = [owner, services](ScreenForm& form) {
        // The favourites' "찾기" always opens the portrait picker.
        const PickerRunner picker = MakePickerRunner(Layout::Portrait, services.screen, owner);
        form.pullForm();
        OpenFavoritesFrom(form.screen(), services.settings, [&] {
            FavoritesDialog dialog(services.settings, services.messages, services.screen, picker,
                                   owner);
            const bool accepted = dialog.exec() == QDialog::Accepted;
            return FavoritesOutcome{accepted, dialog.rules().GetSelection()};
        });
        form.pushForm();
    };
}

}  // namespace velomar
