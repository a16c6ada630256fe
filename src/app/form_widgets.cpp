#include "app/form_widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/qt_text.h"
#include "app/screen_area.h"
#include "app/tile_button.h"

namespace velomar {

QSize FixedHeightHeader::sizeHint() const {
    const QSize natural = QHeaderView::sizeHint();
    return m_height > 0 ? QSize(natural.width(), m_height) : natural;
}

QSize FixedHeightRows::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QSize natural = QStyledItemDelegate::sizeHint(option, index);
    return m_height > 0 ? QSize(natural.width(), m_height) : natural;
}

ResultListWidget::ResultListWidget(QWidget* parent)
    : QTreeWidget(parent),
      m_header(new FixedHeightHeader(this)),
      m_rows(new FixedHeightRows(this)) {
    setHeader(m_header);
    setItemDelegate(m_rows);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    // The handheld's one-pixel border: a wider frame would push the columns past the list.
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignCenter);
    setColumnCount(0);
}

void ResultListWidget::clearRows() {
    clear();
    // Every page is read from its first row.
    scrollToTop();
}

void ResultListWidget::setFullPage(int rows) {
    m_fullPage = rows;
    fitRows();
}

void ResultListWidget::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    fitRows();
}

void ResultListWidget::fitRows() {
    if (m_fullPage <= 0) {
        return;
    }
    m_header->setFixedSectionHeight(0);
    m_rows->setRowHeight(0);
    QStyleOptionViewItem sample;
    initViewItemOption(&sample);
    sample.text = QStringLiteral("00:00");
    sample.features |= QStyleOptionViewItem::HasDisplay;
    const int naturalRow =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &sample, QSize(), this).height();
    // A header without columns yet has no height of its own.
    const ResultListRows fit =
        FitResultRows(height() - 2 * frameWidth(), qMax(0, m_header->sizeHint().height()),
                      naturalRow, m_fullPage);
    m_header->setFixedSectionHeight(fit.headerHeight);
    m_rows->setRowHeight(fit.rowHeight);
    m_rowHeight = fit.rowHeight;
    updateGeometries();
    doItemsLayout();
}

void ResultListWidget::insertRow(const ResultRow& row) {
    auto* item = new QTreeWidgetItem(this);
    const std::u16string_view cells[] = {row.trainNo, row.departure, row.arrival, row.typeLabel};
    for (int column = 0; column < columnCount() && column < 4; ++column) {
        item->setText(column, ToQString(cells[column]));
        item->setTextAlignment(column, Qt::AlignCenter);
    }
    item->setData(0, Qt::UserRole, row.slot);
}

bool ResultListWidget::insertColumns(const ColumnWidths& widths) {
    if (columnCount() != 0) {
        return false;
    }
    setColumnCount(static_cast<int>(widths.size()));
    QStringList headers;
    for (std::u16string_view text : kResultColumnHeaders) {
        headers << ToQString(text);
    }
    setHeaderLabels(headers);
    for (int column = 0; column < columnCount(); ++column) {
        setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
        headerItem()->setTextAlignment(column, Qt::AlignCenter);
    }
    return true;
}

void ResultListWidget::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !onRowTapped) {
        return;
    }
    const QTreeWidgetItem* item = itemAt(event->position().toPoint());
    onRowTapped(item != nullptr ? item->data(0, Qt::UserRole).toInt() : -1);
}

void ResultListWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool opens = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    const QTreeWidgetItem* chosen = currentItem();
    if (opens && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        chosen != nullptr && chosen->isSelected() && onRowTapped) {
        onRowTapped(chosen->data(0, Qt::UserRole).toInt());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    // The open list is as high as its entries; the drop height and the screen cut it, and
    // a scroll bar (not the style's arrows) moves through the rest, as on the handheld.
    setMaxVisibleItems(1000);
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
}

void DropDownList::showPopup() {
    QComboBox::showPopup();
    // A short list keeps its own height; a long one is cut to the item's and scrolls. Either
    // way it opens inside the emulated screen.
    PlacePopupOnScreen(*view()->window(), *this, m_droppedHeight);
    view()->scrollTo(view()->currentIndex());
}

QPixmap ApplicationIcon(int size) {
    // The shapes of dist/icons/velomar.svg, on its 256-unit grid: a train's front on an
    // orange tile.
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    QLinearGradient face(0, 8, 0, 248);
    face.setColorAt(0.0, QColor(0xFF, 0x9B, 0x4A));
    face.setColorAt(0.5, QColor(0xEE, 0x7D, 0x1E));
    face.setColorAt(1.0, QColor(0xCF, 0x6C, 0x1A));
    painter.setPen(QPen(QColor(0x9F, 0x52, 0x14), 6));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(66, 40, 124, 148), 30, 30);
    painter.setBrush(QColor(0x1F, 0x4E, 0x9A));
    painter.drawRoundedRect(QRectF(84, 60, 88, 56), 10, 10);
    painter.setBrush(QColor(0xEE, 0x7D, 0x1E));
    painter.drawEllipse(QPointF(98, 156), 13, 13);
    painter.drawEllipse(QPointF(158, 156), 13, 13);
    QPen rail(Qt::white, 16);
    rail.setCapStyle(Qt::RoundCap);
    painter.setPen(rail);
    painter.drawLine(QPointF(100, 190), QPointF(76, 224));
    painter.drawLine(QPointF(156, 190), QPointF(180, 224));
    return pixmap;
}

TemplateForm::TemplateForm(QWidget& parent, const DialogTemplate& dialog, DialogUnits units)
    : m_units(units) {
    m_comboHeight =
        ToPixels({0, 0, 0, kClosedDropDownHeightDu}, units).value_or(PixelRect{}).height;
    for (const DialogItem& item : dialog.items) {
        QWidget* widget = nullptr;
        switch (item.itemClass) {
            case ItemClass::Button: {
                auto* button = new TileButton(&parent);
                button->setText(ToQString(item.text));
                widget = button;
                break;
            }
            case ItemClass::Static: {
                auto* label = new QLabel(ToQString(item.text), &parent);
                label->setWordWrap(item.rect.height > 10);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = label;
                break;
            }
            case ItemClass::Icon:
                widget = new QLabel(&parent);
                break;
            case ItemClass::GroupBox:
                widget = new QGroupBox(ToQString(item.text), &parent);
                break;
            case ItemClass::Edit:
                widget = new QLineEdit(&parent);
                break;
            case ItemClass::DropDownList:
                widget = new DropDownList(&parent);
                break;
            case ItemClass::ListView:
                widget = new ResultListWidget(&parent);
                break;
        }
        m_controls.try_emplace(item.id, widget);
        if (item.itemClass == ItemClass::Icon) {
            auto* label = static_cast<QLabel*>(widget);
            const int side = ToPixels(item.rect, units).value_or(PixelRect{0, 0, 16, 16}).width;
            label->setPixmap(ApplicationIcon(side));
        }
        if (const auto rect = ToPixels(item.rect, units)) {
            place(*widget, *rect);
        }
    }
}

QWidget* TemplateForm::control(int id) const {
    const auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

bool TemplateForm::hasControl(int id) const {
    return m_controls.contains(id);
}

void TemplateForm::setControlText(int id, std::u16string_view text) {
    QWidget* widget = control(id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(ToQString(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQString(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(ToQString(text));
    }
}

void TemplateForm::setControlIcon(int id) {
    if (auto* label = qobject_cast<QLabel*>(control(id))) {
        label->setPixmap(ApplicationIcon(qMax(16, label->width())));
    }
}

void TemplateForm::reselect(int id) {
    if (auto* list = qobject_cast<QComboBox*>(control(id))) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(list->currentIndex());
    }
}

bool TemplateForm::applyMoves(const std::vector<ControlMove>& moves) {
    for (const ControlMove& move : moves) {
        if (QWidget* widget = control(move.controlId)) {
            place(*widget, move.rect);
        }
    }
    return true;
}

void TemplateForm::place(QWidget& widget, const PixelRect& rect) {
    if (auto* list = dynamic_cast<DropDownList*>(&widget)) {
        // The item's height is the list's when open; closed it is one line.
        list->setGeometry(rect.x, rect.y, rect.width, qMin(rect.height, m_comboHeight));
        list->setDroppedHeight(qMax(0, rect.height - m_comboHeight));
        return;
    }
    // One line of Nanum is a little taller than the template's text line: grow the label
    // around its middle rather than cut the lower strokes off.
    const auto* label = qobject_cast<QLabel*>(&widget);
    const int lineHeight = widget.fontMetrics().height();
    if (label != nullptr && !label->wordWrap() && lineHeight > rect.height) {
        const int grow = lineHeight - rect.height;
        widget.setGeometry(rect.x, rect.y - grow / 2, rect.width + grow, lineHeight);
        return;
    }
    widget.setGeometry(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace velomar
