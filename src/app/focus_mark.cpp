#include "app/focus_mark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QToolButton>
#include <QWidget>

#include "app/tile_button.h"

namespace velomar {
namespace {

constexpr int kInset = 2;

// Dark dots, white ones on a control that shows the dark strip behind it (the menu bar's).
QColor markColour(const QWidget& control) {
    const auto* tool = qobject_cast<const QToolButton*>(&control);
    const QWidget* behind = tool != nullptr && tool->autoRaise() && control.parentWidget()
                                ? control.parentWidget()
                                : nullptr;
    const QColor background = behind != nullptr ? behind->palette().color(QPalette::Window)
                                                : control.palette().color(QPalette::Base);
    return background.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

// Drawn over the control it belongs to, as large as it; clicks go through it.
class Mark : public QWidget {
  public:
    explicit Mark(QWidget& control) : QWidget(&control) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    void attach(QWidget& control) {
        if (parentWidget() != nullptr) {
            parentWidget()->removeEventFilter(this);
        }
        setParent(&control);
        m_colour = markColour(control);
        setGeometry(control.rect());
        control.installEventFilter(this);
        raise();
        show();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintFocusMark(painter, rect(), m_colour, kInset);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget()) {
            if (event->type() == QEvent::Resize) {
                setGeometry(parentWidget()->rect());
            } else if (event->type() == QEvent::ChildAdded) {
                raise();  // above the scroll bars and editors a list adds later
            }
        }
        return false;
    }

  private:
    QColor m_colour;
};

bool belongsTo(const QWidget* widget, const QWidget& screen) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (widget == &screen) {
            return true;
        }
    }
    return false;
}

}  // namespace

void PaintFocusMark(QPainter& painter, const QRect& area, const QColor& colour, int inset) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(inset, inset, -inset - 1, -inset - 1));
    painter.restore();
}

FocusMarks::FocusMarks(QWidget& screen) : QObject(&screen), m_screen(screen) {
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* focused) { follow(focused); });
}

void FocusMarks::follow(QWidget* focused) {
    // Tiles draw their own; open lists and menus show their chosen row instead.
    const bool marked = focused != nullptr && belongsTo(focused, m_screen) &&
                        dynamic_cast<TileButton*>(focused) == nullptr &&
                        focused->window()->windowType() != Qt::Popup;
    if (!marked) {
        if (m_mark) {
            m_mark->hide();
        }
        return;
    }
    if (!m_mark) {
        m_mark = new Mark(*focused);
    }
    static_cast<Mark*>(m_mark.data())->attach(*focused);
}

}  // namespace velomar
