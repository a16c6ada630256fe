#include "screens/focus_reset.h"

namespace velomar {

bool FocusResetGate::modalClosed() {
    if (m_modals == 0) {
        return false;  // a close without its opening: nothing was over the form
    }
    --m_modals;
    return m_started && m_modals == 0;
}

bool FocusResetGate::programEntered() const {
    return m_started && m_modals == 0;
}

}  // namespace velomar
