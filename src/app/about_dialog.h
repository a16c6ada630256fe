#pragma once

#include <QDialog>

namespace velomar {

// About, template 100; the same on every screen size.
class AboutDialog : public QDialog {
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace velomar
