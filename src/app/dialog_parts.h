#pragma once

// What every dialog of the application is built from.

#include <QDialog>
#include <QRect>
#include <functional>

#include "platform/host.h"
#include "screens/dialog_template.h"
#include "screens/layout_rules.h"

class QTreeWidget;

namespace velomar {

inline QRect ToQRect(const PixelRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

// Sizes the dialog to its template and gives it the template's caption and font.
void ShapeDialog(QDialog& dialog, const DialogTemplate& data, DialogUnits units, ScreenSize screen);

// Runs `action` when `button` is clicked; nothing when it is not a button.
void ConnectClick(QWidget* button, QObject* context, const std::function<void()>& action);

// A plain two-column list at the place of a template's report list (hidden), or unplaced.
QTreeWidget* TwoColumnList(QWidget& parent, QWidget* placeholder);

}  // namespace velomar
