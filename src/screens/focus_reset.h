#pragma once

// When the portrait form's focus reset runs. On the handheld the form got the input focus
// when the program came to the front again and when a modal window over it (a dialog, a
// message box) closed; a pick in a drop-down list left the focus where it was. A desktop
// reports more than that: a drop-down list or a menu is a window of its own, and without a
// window manager a window is focused only by the click that lands in it. The widgets report
// what happened; the gate says whether the reset runs now.

namespace velomar {

class FocusResetGate {
  public:
    // The form's start-up has run. Nothing before it resets (the square dialog runs first).
    void formStarted() { m_started = true; }

    // A modal window over the form opened or closed. True when the last one closed: the
    // focus is back on the form.
    void modalOpened() { ++m_modals; }
    bool modalClosed();

    // The program got the input focus back from another program (or from nowhere, when no
    // window manager gave it at start). True unless a modal window has the focus.
    bool programEntered() const;

    int openModals() const { return m_modals; }

  private:
    bool m_started = false;
    int m_modals = 0;
};

}  // namespace velomar
