#include "app/focus_watch.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace velomar {

FocusWatch::FocusWatch(std::function<void()> modalClosed, std::function<void()> entered,
                       QObject* parent)
    : QObject(parent), m_modalClosed(std::move(modalClosed)), m_entered(std::move(entered)) {
    m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { applicationStateChanged(state); });
}

void FocusWatch::applicationStateChanged(Qt::ApplicationState state) {
    const bool active = state == Qt::ApplicationActive;
    const bool entered = active && !m_active;
    m_active = active;
    if (entered && m_gate.programEntered() && m_entered) {
        m_entered();
    }
}

bool FocusWatch::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide) || event->spontaneous()) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || !widget->isWindow()) {
        return false;
    }
    if (type == QEvent::Show && widget->isModal() && !m_modals.contains(widget)) {
        m_modals.insert(widget);
        m_gate.modalOpened();
        // A window destroyed while shown never sends its hide.
        connect(widget, &QObject::destroyed, this, [this](QObject* gone) { closed(gone); });
    } else if (type == QEvent::Hide && m_modals.contains(widget)) {
        disconnect(widget, &QObject::destroyed, this, nullptr);
        closed(widget);
    }
    return false;
}

void FocusWatch::closed(QObject* window) {
    if (!m_modals.remove(window)) {
        return;
    }
    if (m_gate.modalClosed() && m_modalClosed) {
        m_modalClosed();
    }
}

}  // namespace velomar
