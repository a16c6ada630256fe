#pragma once

#include <QString>

#include "app/emulated_dialog.h"

class QLabel;

namespace velomar {

class TileButton;

// A message with one OK button, under its caption ("Info", "Velomar"), in the middle of the
// emulated screen and no wider than it.
class MessageBoxDialog : public EmulatedDialog {
  public:
    MessageBoxDialog(const QString& text, const QString& title, ScreenSize screen, QWidget* parent);
    QLabel* textLabel() const { return m_text; }
    TileButton* okButton() const { return m_ok; }

  private:
    QLabel* m_text;
    TileButton* m_ok;
};

}  // namespace velomar
