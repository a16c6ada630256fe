#pragma once

// What every dialog of the application is built from.

#include <QColor>
#include <QRect>
#include <functional>

#include "platform/host.h"
#include "screens/dialog_template.h"
#include "screens/layout_rules.h"

class QObject;
class QTreeWidget;
class QWidget;

namespace velomar {

inline QRect ToQRect(const PixelRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

// The colour of the title strip, the menu bar and the dialogs' caption strips.
inline QColor ChromeColor() {
    return {0x10, 0x2A, 0x5C};
}

// Runs `action` when `button` is clicked; nothing when it is not a button.
void ConnectClick(QWidget* button, QObject* context, const std::function<void()>& action);

// A plain two-column list at the place of a template's report list (hidden), or unplaced.
QTreeWidget* TwoColumnList(QWidget& parent, QWidget* placeholder);

}  // namespace velomar
