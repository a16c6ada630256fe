#pragma once

// Where the keyboard focus is, drawn as the handheld's tiles show it: a dotted frame just
// inside the focused control's edge, dark on light controls and white on the chrome's dark
// strips. Tiles draw their own; every other control of a screen gets it from FocusMarks.

#include <QColor>
#include <QObject>
#include <QPointer>

class QPainter;
class QRect;
class QWidget;

namespace velomar {

// The dotted frame `inset` pixels inside `area`.
void PaintFocusMark(QPainter& painter, const QRect& area, const QColor& colour, int inset);

// Marks the focused control of `screen` and of every dialog and form opened over it.
class FocusMarks : public QObject {
  public:
    explicit FocusMarks(QWidget& screen);

  private:
    void follow(QWidget* focused);

    QWidget& m_screen;
    QPointer<QWidget> m_mark;  // a child of the focused control, over it
};

}  // namespace velomar
