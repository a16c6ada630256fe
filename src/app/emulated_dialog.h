#pragma once

// A dialog as the handheld drew it: its own caption strip (title and close box) above the
// client area, no window manager frame, always inside the emulated screen.

#include <QAbstractButton>
#include <QDialog>
#include <optional>

#include "app/screen_area.h"
#include "platform/host.h"
#include "screens/detail_layout.h"
#include "screens/dialog_template.h"
#include "screens/layout_rules.h"

namespace velomar {

// The close box at the right end of a caption strip.
class CloseBox : public QAbstractButton {
  public:
    explicit CloseBox(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// Title on the left, close box on the right, in the chrome's colours.
class CaptionStrip : public QWidget {
  public:
    explicit CaptionStrip(QWidget* parent);
    void setTitle(const QString& title);
    QString title() const { return m_title; }
    CloseBox* closeBox() const { return m_close; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QString m_title;
    CloseBox* m_close;
};

class EmulatedDialog : public QDialog, public PlacedWindow {
  public:
    // `screen` is the emulated screen the dialog opens on.
    EmulatedDialog(ScreenSize screen, QWidget* parent);
    ~EmulatedDialog() override;

    // Sizes the client area to the template, in `units` narrowed to fit the screen, with the
    // caption strip and font of `look` (the screen the template is drawn for; the real
    // screen but for About). Returns the units the controls are placed with.
    DialogUnits shape(const DialogTemplate& data, DialogUnits units, ScreenSize look);

    // Makes the dialog and its client area taller by `pixels` (after shape()).
    void growBy(int pixels);

    QWidget* client() const { return m_client; }
    CaptionStrip* caption() const { return m_caption; }
    ScreenSize screen() const { return m_screen; }

    // Top left of the caption strip on the emulated screen; none: in the middle of it.
    // Either way the dialog is kept inside the screen when it is shown.
    void setPlace(std::optional<ScreenPoint> place) { m_place = place; }
    std::optional<QPoint> screenPlace() const override { return m_screenPlace; }
    // Enter, where no focused control takes it, clicks this button (the template's default).
    void setDefaultButton(QAbstractButton* button) { m_default = button; }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void placeOnScreen();

    ScreenSize m_screen;
    CaptionStrip* m_caption;
    QWidget* m_client;
    std::optional<ScreenPoint> m_place;
    std::optional<QPoint> m_screenPlace;  // where it was put
    QAbstractButton* m_default = nullptr;
};

}  // namespace velomar
