#include "screens/layout_relayout.h"

namespace velomar {

bool RelayoutFromTemplate(RelayoutTarget& form, const DialogTemplate* dialog, DialogUnits units) {
    if (dialog == nullptr) {
        return false;
    }
    std::vector<ControlMove> moves;
    moves.reserve(dialog->items.size());
    bool failed = false;
    int staticItems = 0;
    for (const DialogItem& item : dialog->items) {
        if (!form.hasControl(item.id)) {
            failed = true;
            break;
        }
        const auto rect = ToPixels(item.rect, units);
        if (!rect) {
            failed = true;
            break;
        }
        moves.push_back({item.id, *rect});
        switch (item.itemClass) {
            case ItemClass::Button:
            case ItemClass::Static:
            case ItemClass::GroupBox:
                form.setControlText(item.id, item.text);
                break;
            case ItemClass::Icon:
                form.setControlIcon(item.id);
                break;
            case ItemClass::DropDownList:
                form.reselect(item.id);
                break;
            case ItemClass::Edit:
            case ItemClass::ListView:
                break;
        }
        if (item.id == kStaticItemId) {
            ++staticItems;
        }
    }
    const bool applied = form.applyMoves(moves);
    return !failed && applied && staticItems < 2;
}

bool RelayoutFromTemplate(RelayoutTarget& form, int templateId, DialogUnits units) {
    return RelayoutFromTemplate(form, FindDialogTemplate(templateId), units);
}

}  // namespace velomar
