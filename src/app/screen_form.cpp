#include "app/screen_form.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "app/date_box.h"
#include "app/dialog_parts.h"
#include "app/fonts.h"
#include "app/qt_text.h"
#include "app/station_completer.h"
#include "app/tile_button.h"
#include "app/zoomed_screen.h"
#include "screens/date_control.h"
#include "screens/layout_relayout.h"

namespace velomar {
namespace {

constexpr ScreenControlIds kPortraitIds{
    portrait_id::kTypeList,       portrait_id::kHourList,     portrait_id::kMinuteList,
    portrait_id::kDepartureField, portrait_id::kArrivalField, portrait_id::kDepartureButton,
    portrait_id::kArrivalButton,  portrait_id::kPrev,         portrait_id::kSearch,
    portrait_id::kNext,           portrait_id::kResultList,
};

constexpr ScreenControlIds kSquareIds{
    square_id::kTypeList,       square_id::kHourList,     square_id::kMinuteList,
    square_id::kDepartureField, square_id::kArrivalField, square_id::kDepartureButton,
    square_id::kArrivalButton,  square_id::kPrev,         square_id::kSearch,
    square_id::kNext,           square_id::kResultList,
};

const DialogTemplate& templateOf(Layout layout) {
    return *FindDialogTemplate(layout == Layout::Portrait ? kPortraitTemplate : kSquareTemplate);
}

void fill(QComboBox* list, std::span<const std::u16string_view> entries) {
    const QSignalBlocker quiet(list);
    for (std::u16string_view entry : entries) {
        list->addItem(ToQString(entry));
    }
    list->setCurrentIndex(-1);
}

void selectQuietly(QComboBox* list, int index) {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void setTextQuietly(QLineEdit* field, const std::u16string& text) {
    const QString shown = ToQString(text);
    if (field->text() != shown) {
        field->setText(shown);
    }
}

}  // namespace

ScreenForm::ScreenForm(Layout layout, const MainScreenServices& services, QWidget* parent)
    : QWidget(parent),
      m_screenSize(services.screen),
      m_ids(layout == Layout::Portrait ? kPortraitIds : kSquareIds),
      m_suggestions(std::make_shared<StationSuggestions>(services.timetables)) {
    const DialogTemplate& dialog = templateOf(layout);
    const int strip = layout == Layout::Portrait ? ChromeStripHeight(m_screenSize) : 0;
    setFixedSize(m_screenSize.width, m_screenSize.height - 2 * strip);
    setFont(TemplateFont(dialog, m_screenSize));
    setAutoFillBackground(true);
    m_controls = std::make_unique<TemplateForm>(*this, dialog,
                                                layout == Layout::Portrait
                                                    ? PortraitFormUnits(m_screenSize)
                                                    : SquareDialogUnits(m_screenSize));
    m_screen = std::make_unique<MainScreen>(layout, services, *resultList());
    m_screen->beforeSearch = [this] { resultList()->setFocus(); };

    fill(typeList(), TrainTypeEntries());
    fill(hourList(), HourEntries());
    fill(minuteList(), MinuteEntries());

    // Selecting by program raises no event: pushForm blocks the signals.
    connect(hourList(), &QComboBox::currentIndexChanged, this,
            [this](int index) { m_screen->form().hourSelection = index; });
    connect(minuteList(), &QComboBox::currentIndexChanged, this,
            [this](int index) { m_screen->form().minuteSelection = index; });
    // Only the click: one tap runs the action once.
    connect(button(m_ids.search), &QAbstractButton::clicked, this, [this] { searchAction(); });
    connect(button(m_ids.prev), &QAbstractButton::clicked, this, [this] { prevAction(); });
    connect(button(m_ids.next), &QAbstractButton::clicked, this, [this] { nextAction(); });
    connect(button(m_ids.departureButton), &QAbstractButton::clicked, this, [this] {
        if (stationButtonHook) {
            stationButtonHook(*this, StationEnd::Departure);
        }
    });
    connect(button(m_ids.arrivalButton), &QAbstractButton::clicked, this, [this] {
        if (stationButtonHook) {
            stationButtonHook(*this, StationEnd::Arrival);
        }
    });
    resultList()->onRowTapped = [this](int row) { rowTapped(row); };
    resultList()->setFullPage(layout == Layout::Portrait
                                  ? static_cast<int>(DefaultPortraitPageSize(m_screenSize.height))
                                  : static_cast<int>(kSquareCapacity));
    departureField()->installEventFilter(this);
    arrivalField()->installEventFilter(this);
    AttachStationCompleters({departureField(), arrivalField()}, m_suggestions);
    if (layout == Layout::Square) {
        m_dateBox = new DateBox(*m_screen, m_screenSize, this);
        m_dateBox->setGeometry(
            ToQRect(ToPixels(kSquareDateBox, m_controls->units()).value_or(PixelRect{})));
    }
    pushForm();
}

ScreenForm::~ScreenForm() = default;

QComboBox* ScreenForm::typeList() const {
    return m_controls->controlAs<QComboBox>(m_ids.typeList);
}
QComboBox* ScreenForm::hourList() const {
    return m_controls->controlAs<QComboBox>(m_ids.hourList);
}
QComboBox* ScreenForm::minuteList() const {
    return m_controls->controlAs<QComboBox>(m_ids.minuteList);
}
QLineEdit* ScreenForm::departureField() const {
    return m_controls->controlAs<QLineEdit>(m_ids.departureField);
}
QLineEdit* ScreenForm::arrivalField() const {
    return m_controls->controlAs<QLineEdit>(m_ids.arrivalField);
}
TileButton* ScreenForm::button(int id) const {
    return m_controls->controlAs<TileButton>(id);
}
ResultListWidget* ScreenForm::resultList() const {
    return m_controls->controlAs<ResultListWidget>(m_ids.resultList);
}

void ScreenForm::runStartUp() {
    for (const StartUpStep step : StartUpOrder(layout())) {
        if (step == StartUpStep::RestoreSettings) {
            m_screen->startUp();
        } else {
            setUpColumnsAndTiles();
        }
    }
    setWindowTitle(QStringLiteral("Velomar"));
    pushForm();
    showDate();
}

void ScreenForm::showDate() {
    if (m_dateBox == nullptr) {
        return;
    }
    m_dateBox->refresh();
    // The square form's date takes the place of the web address line.
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->text() == ToQString(kWebAddressLine)) {
            label->setVisible(!m_dateBox->isVisibleTo(this));
        }
    }
}

void ScreenForm::setUpColumnsAndTiles() {
    const bool portrait = layout() == Layout::Portrait;
    resultList()->insertColumns(portrait ? PortraitColumnWidths(m_screenSize)
                                         : SquareColumnWidths());
    const ButtonImageSet images =
        portrait ? PortraitButtonImages(m_screenSize) : SquareButtonImages();
    for (const ButtonImages& image : images) {
        if (TileButton* tile = button(image.controlId)) {
            tile->setTiles(image.normalTile, image.pressedTile);
        }
    }
}

bool ScreenForm::relayout(int templateId) {
    return RelayoutFromTemplate(*m_controls, templateId, m_controls->units());
}

void ScreenForm::focusReset() {
    if (layout() != Layout::Portrait) {
        return;
    }
    pullForm();
    m_screen->focusReset();
    pushForm();
}

// The screen moves the focus to the result list before each search it runs.
void ScreenForm::searchAction() {
    pullForm();
    m_screen->search();
    afterAction();
}

void ScreenForm::prevAction() {
    pullForm();
    m_screen->prev();
    afterAction();
}

void ScreenForm::nextAction() {
    pullForm();
    m_screen->next();
    afterAction();
}

void ScreenForm::afterAction() {
    pushForm();
    resultList()->scrollToTop();
}

void ScreenForm::rowTapped(int row) {
    pullForm();
    const std::optional<StopList> stops = m_screen->trainDetail(row);
    if (stops && trainDetailHook) {
        trainDetailHook(*this, *stops);
    }
}

void ScreenForm::pullForm() {
    MainForm& form = m_screen->form();
    form.departureField = ToU16(departureField()->text());
    form.arrivalField = ToU16(arrivalField()->text());
    form.typeSelection = typeList()->currentIndex();
    form.hourSelection = hourList()->currentIndex();
    form.minuteSelection = minuteList()->currentIndex();
}

void ScreenForm::pushForm() {
    const MainForm& form = m_screen->form();
    setTextQuietly(departureField(), form.departureField);
    setTextQuietly(arrivalField(), form.arrivalField);
    selectQuietly(typeList(), form.typeSelection);
    selectQuietly(hourList(), form.hourSelection);
    selectQuietly(minuteList(), form.minuteSelection);
}

bool ScreenForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == departureField() || watched == arrivalField())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            searchAction();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

SquareDialog::SquareDialog(const MainScreenServices& services, QWidget* parent)
    // It is the screen while it runs: no frame of its own, as the main window's screen has none.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_screen(services.screen) {
    setFixedSize(services.screen.width, services.screen.height);
    m_form = new ScreenForm(Layout::Square, services, this);
    m_form->move(0, 0);
    connect(m_form->button(square_id::kOk), &QAbstractButton::clicked, this, &QDialog::accept);
    connect(m_form->button(square_id::kCancel), &QAbstractButton::clicked, this, &QDialog::reject);
    m_form->runStartUp();
    setWindowTitle(QStringLiteral("Velomar"));
}

SquareDialog::~SquareDialog() {
    LeaveTheScene(*this);
}

void SquareDialog::showEvent(QShowEvent* event) {
    // It covers the main window's screen, wherever the main window is.
    QDialog::showEvent(event);
    if (!PlaceInScene(*this, QRect(QPoint(0, 0), size())) && parentWidget() != nullptr) {
        move(ScreenAreaOf(parentWidget()).origin);
    }
    BlockTheSceneWhileShown(*this);
}

void SquareDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velomar
