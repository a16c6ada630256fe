#include "app/about_dialog.h"

#include <QAbstractButton>

#include "app/dialog_parts.h"
#include "app/form_widgets.h"

namespace velomar {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = *FindDialogTemplate(kAboutTemplate);
    // The small screen's units and font: the dialog looks the same on every screen.
    const ScreenSize reference{240, 320};
    const DialogUnits units = DialogUnitsFor(reference);
    ShapeDialog(*this, dialog, units, reference);
    auto* content = new QWidget(this);
    content->setFixedSize(size());
    auto* controls = new TemplateForm(*content, dialog, units);
    if (auto* ok = controls->controlAs<QAbstractButton>(about_id::kOk)) {
        connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    }
    // The widgets belong to `content`; the map of them is not needed after this.
    delete controls;
}

}  // namespace velomar
