#pragma once

// The emulated screen drawn smaller than its pixels, for desktops lower or narrower than it.
// Qt's own scale factor only enlarges (its painter never draws below one pixel per pixel), so
// a smaller screen is a scaled view of a scene that holds the main window. The dialogs, lists
// and menus it opens join the scene by themselves, so they are scaled and stay on it too.

#include <QGraphicsView>

class QGraphicsProxyWidget;

namespace velomar {

class ZoomedScreen : public QGraphicsView {
  public:
    // `screen` becomes part of the scene (not a window of its own) until this is destroyed.
    ZoomedScreen(QWidget& screen, double zoom);
    ~ZoomedScreen() override;

  protected:
    // The window manager's close (its close button, Alt+F4) is the close of what the user sees
    // on the screen: a dialog that runs on it closes as its close box closes it (the square
    // form gives way to the portrait one, as it does at zoom 1); the screen closes only when
    // nothing runs on it. Else the view would go and leave a dialog's loop running unseen.
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget& m_screen;
    QGraphicsProxyWidget* m_proxy;
};

// The zoom at which `window` is drawn: the scale of the view whose scene holds it, else 1.
double SceneZoom(const QWidget& window);
// Puts a window that joined the scene (a dialog, a list) at a place on the emulated screen,
// whose pixels are the scene's. False for a window of the desktop.
bool PlaceInScene(QWidget& window, const QRect& place);
// A modal dialog that joined the scene blocks the rest of the screen, as a modal window does
// on the desktop.
void BlockTheSceneWhileShown(QWidget& dialog);
// Takes a window that joined the scene out of it again. Its item would otherwise delete, with
// the window, the items of the lists its fields opened, and with them lists that their
// completers own and delete themselves. Windows of the scene call it before they go.
void LeaveTheScene(QWidget& window);
// Gives the keyboard to the window the user sees: the window itself, or the view that
// shows it.
void ActivateScreenWindow(QWidget& window);

}  // namespace velomar
