#pragma once

// Moving the controls of a live form to the rectangles of another dialog template, without
// any widget: the form is reached through RelayoutTarget.

#include <string_view>
#include <vector>

#include "screens/dialog_template.h"
#include "screens/layout_rules.h"

namespace velomar {

struct ControlMove {
    int controlId = 0;
    PixelRect rect;
    friend bool operator==(const ControlMove&, const ControlMove&) = default;
};

// The form being relaid out.
class RelayoutTarget {
  public:
    virtual ~RelayoutTarget() = default;
    virtual bool hasControl(int id) const = 0;
    virtual void setControlText(int id, std::u16string_view text) = 0;
    // Puts the application icon into a static control.
    virtual void setControlIcon(int id) = 0;
    // Selects the list's current entry again.
    virtual void reselect(int id) = 0;
    // Applies the collected moves together; false when they could not be applied.
    virtual bool applyMoves(const std::vector<ControlMove>& moves) = 0;
};

// Items in template order: a missing control (or a rectangle that cannot be converted) ends
// the processing there, the moves collected so far are still applied. Succeeds only when
// every item was applied, the moves were applied and fewer than two items carry the id
// 65535. An unknown template changes nothing and fails.
bool RelayoutFromTemplate(RelayoutTarget& form, const DialogTemplate* dialog, DialogUnits units);
bool RelayoutFromTemplate(RelayoutTarget& form, int templateId, DialogUnits units);

}  // namespace velomar
