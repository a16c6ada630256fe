#include "app/station_completer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStringListModel>
#include <QWindow>

#include "app/qt_text.h"
#include "app/screen_area.h"
#include "screens/station_completion.h"

namespace velomar {

StationCompleter::StationCompleter(QLineEdit& field,
                                   std::shared_ptr<StationSuggestions> suggestions)
    : QCompleter(&field),
      m_field(field),
      m_suggestions(std::move(suggestions)),
      m_names(new QStringListModel(this)) {
    // The matcher has chosen and ordered the rows; the completer must not filter them again.
    setModel(m_names);
    setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    setMaxVisibleItems(static_cast<int>(kCompletionRows));
    setWidget(&field);
    m_list = popup();
    // A window of the field's: on a scaled screen it joins the screen's scene, as the
    // drop-down lists do.
    m_list->setParent(&field, m_list->windowFlags());
    m_list->setFont(field.font());
    // Its size is the rows'; a scene would otherwise keep it at the view's minimum hint.
    m_list->setMinimumSize(1, 1);
    // A click outside the list is passed on here, never again by Qt.
    m_list->setAttribute(Qt::WA_NoMouseReplay);
    connect(&field, &QLineEdit::textChanged, this, [this](const QString& text) { m_typed = text; });
    // Only what the user types opens the list; texts the program puts in never do.
    connect(&field, &QLineEdit::textEdited, this, [this](const QString& text) { refresh(text); });
    connect(this, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& name) { m_field.setText(name); });
}

QStringList StationCompleter::offered() const {
    return m_names->stringList();
}

void StationCompleter::refresh(const QString& text) {
    m_typed = text;
    QStringList names;
    const std::u16string typed = ToU16(text);
    for (const std::u16string& name :
         m_suggestions ? m_suggestions->completions(typed) : StationCompletions(typed)) {
        names.append(ToQString(name));
    }
    m_names->setStringList(names);
    if (names.isEmpty()) {
        m_list->hide();
        return;
    }
    complete();
    // No row is chosen until the user moves to one.
    m_list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    place();
}

void StationCompleter::place() {
    // As wide as the longest name, which may be wider than a narrow field.
    const int frame = m_list->width() - m_list->viewport()->width();
    m_list->resize(qMax(m_field.width(), m_list->sizeHintForColumn(0) + frame), m_list->height());
    PlacePopupOnScreen(*m_list, m_field, m_list->height());
    // In a scene a list is a panel of its own, and one shown again took the focus and became
    // the active panel: the field lost the focus, the next letter closed the list and the one
    // after was lost. The list is never focused; the field's panel stays active, the field
    // keeps the focus (the list still gets the keys first, and hands typing to the field).
    QGraphicsProxyWidget* list = m_list->graphicsProxyWidget();
    const QGraphicsProxyWidget* window = m_field.window()->graphicsProxyWidget();
    if (list != nullptr && window != nullptr) {
        list->setFlag(QGraphicsItem::ItemIsFocusable, false);
        if (list->isActive()) {
            list->scene()->setActivePanel(window->panel());
        }
        if (!m_field.hasFocus()) {
            m_field.setFocus(Qt::PopupFocusReason);
        }
    }
}

namespace {

// A press outside the open list closes it and then does what it does without the list (the
// other field takes the focus, Search searches), on a window of the desktop or on a scaled
// screen, whose scene hands every press to the open list.
bool closedByPressOutside(QAbstractItemView& list, QEvent* event) {
    const bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (!press || !list.isVisible()) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (list.rect().contains(mouse->position().toPoint())) {
        return false;
    }
    list.hide();
    const QPoint global = mouse->globalPosition().toPoint();
    const QWidget* under = QApplication::widgetAt(global);
    QWindow* window = under != nullptr ? under->window()->windowHandle() : nullptr;
    if (window != nullptr) {
        // The window's own handling, which a modal dialog blocks as it blocks any click.
        const QPointF at = window->mapFromGlobal(mouse->globalPosition());
        QMouseEvent again(QEvent::MouseButtonPress, at, at, mouse->globalPosition(),
                          mouse->button(), mouse->buttons(), mouse->modifiers(),
                          mouse->pointingDevice());
        QCoreApplication::sendEvent(window, &again);
    }
    return true;
}

}  // namespace

bool StationCompleter::eventFilter(QObject* watched, QEvent* event) {
    // Not popup(): that makes the list, and events come while it is being made.
    QAbstractItemView* list = m_list;
    if (list != nullptr && watched == list && closedByPressOutside(*list, event)) {
        return true;
    }
    if (list != nullptr && watched == list && event->type() == QEvent::KeyPress &&
        list->isVisible()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        // Enter without a chosen row is the field's Enter, as if the list were not there.
        if (enter && !list->currentIndex().isValid()) {
            list->hide();
            QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(&m_field, &again);
            return true;
        }
    }
    if (watched == &m_field && event->type() == QEvent::InputMethod) {
        // A syllable still being composed is not in the text yet, but it is typed: the list
        // follows it.
        const QString composing = static_cast<QInputMethodEvent*>(event)->preeditString();
        m_field.event(event);
        QString typed = m_field.text();
        typed.insert(m_field.cursorPosition(), composing);
        if (typed != m_typed) {
            refresh(typed);
        }
        return true;
    }
    return QCompleter::eventFilter(watched, event);
}

void AttachStationCompleters(std::initializer_list<QLineEdit*> fields,
                             const std::shared_ptr<StationSuggestions>& suggestions) {
    for (QLineEdit* field : fields) {
        if (field != nullptr && StationCompleterOf(*field) == nullptr) {
            new StationCompleter(*field, suggestions);
        }
    }
}

StationCompleter* StationCompleterOf(const QLineEdit& field) {
    return field.findChild<StationCompleter*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace velomar
