#pragma once

#include "app/emulated_dialog.h"

namespace velomar {

// About, template 100; drawn the same on every screen size (narrowed on screens narrower
// than it).
class AboutDialog : public EmulatedDialog {
  public:
    AboutDialog(ScreenSize screen, QWidget* parent = nullptr);
};

}  // namespace velomar
