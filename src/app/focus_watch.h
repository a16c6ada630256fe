#pragma once

// Reports to the form's focus-reset gate what the window system does: every modal window of
// the application opening and closing, and the application coming to the front. Drop-down
// lists and menus are popups, not modal windows, so a pick in them is never followed by a
// reset.

#include <QObject>
#include <QSet>
#include <functional>

#include "screens/focus_reset.h"

namespace velomar {

class FocusWatch : public QObject {
  public:
    // `modalClosed` runs when the last modal window over the form closed, `entered` when the
    // program came back to the front; each only when the gate lets the reset run.
    FocusWatch(std::function<void()> modalClosed, std::function<void()> entered, QObject* parent);

    FocusResetGate& gate() { return m_gate; }
    // What the application reports when it gains or loses the input focus.
    void applicationStateChanged(Qt::ApplicationState state);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void closed(QObject* window);

    FocusResetGate m_gate;
    std::function<void()> m_modalClosed;
    std::function<void()> m_entered;
    QSet<QObject*> m_modals;
    bool m_active = false;
};

}  // namespace velomar
