#include "app/options_dialog.h"

#include <QComboBox>

#include "app/dialog_parts.h"
#include "app/form_widgets.h"
#include "app/qt_text.h"

namespace velomar {

OptionsDialog::OptionsDialog(SettingsBackend& settings, ScreenSize screen, QWidget* parent)
    : EmulatedDialog(screen, parent), m_rules(settings, screen.height) {
    const DialogTemplate& data = OptionsTemplate();
    const DialogUnits units = shape(data, DialogUnitsFor(screen), screen);
    m_controls = new TemplateForm(*client(), data, units);

    m_rules.start();
    QComboBox* list = entryList();
    for (const std::u16string& entry : m_rules.entries()) {
        list->addItem(ToQString(entry));
    }
    list->setCurrentIndex(m_rules.selection());
    connect(list, &QComboBox::activated, this, [this](int index) { m_rules.select(index); });
    ConnectClick(control(kOptionsOkId), this, [this] {
        m_rules.accept();
        accept();
    });
    ConnectClick(control(kOptionsCancelId), this, [this] { reject(); });
    setDefaultButton(qobject_cast<QAbstractButton*>(control(kOptionsOkId)));
}

OptionsDialog::~OptionsDialog() {
    delete m_controls;
}

QComboBox* OptionsDialog::entryList() const {
    return m_controls->controlAs<QComboBox>(kOptionsListId);
}

QWidget* OptionsDialog::control(int id) const {
    return m_controls->control(id);
}

}  // namespace velomar
