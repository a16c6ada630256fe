#include "app/about_dialog.h"

#include <QAbstractButton>

#include "app/form_widgets.h"

namespace velomar {

AboutDialog::AboutDialog(ScreenSize screen, QWidget* parent) : EmulatedDialog(screen, parent) {
    const DialogTemplate& dialog = *FindDialogTemplate(kAboutTemplate);
    // The small screen's units and font: the dialog looks the same on every screen.
    const ScreenSize reference{240, 320};
    const DialogUnits units = shape(dialog, DialogUnitsFor(reference), reference);
    auto* controls = new TemplateForm(*client(), dialog, units);
    if (auto* ok = controls->controlAs<QAbstractButton>(about_id::kOk)) {
        connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
        setDefaultButton(ok);
    }
    // The widgets belong to the client area; the map of them is not needed after this.
    delete controls;
}

}  // namespace velomar
