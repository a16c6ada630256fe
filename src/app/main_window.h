#pragma once

// The emulated handheld screen: title strip, the portrait form, the menu bar strip.

#include <QDialog>
#include <QWidget>
#include <functional>

#include "app/about_dialog.h"
#include "app/screen_area.h"
#include "app/screen_form.h"
#include "screens/main_screen.h"

class QMenu;
class QToolButton;

namespace velomar {

// Commands of the menu bar and accelerators.
namespace command {
inline constexpr int kExit = 2;
inline constexpr int kFavorites = 32775;
inline constexpr int kOptions = 32779;
inline constexpr int kNewDocument = 57600;
inline constexpr int kAbout = 57664;
}  // namespace command

class FocusWatch;

class MainWindow : public QWidget, public ScreenWindow {
  public:
    explicit MainWindow(const MainScreenServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The layout choice (which may run the square dialog), then the portrait start-up.
    void start();
    // Ctrl+N: the portrait start-up again on the same form.
    void newDocument();
    // Runs a menu or accelerator command; false for one nobody handles.
    bool runCommand(int id);

    ScreenForm& form() { return *m_form; }
    QMenu& mainMenu() { return *m_menu; }
    QToolButton& menuButton() { return *m_menuButton; }
    QToolButton& infoButton() { return *m_infoButton; }
    QWidget& titleStrip() { return *m_titleStrip; }
    FocusWatch& focusWatch() { return *m_focusWatch; }
    ScreenSize emulatedScreen() const override { return m_services.screen; }

    // Seams: how the process ends, how modal dialogs run. Tests replace them.
    std::function<void(int)> exitProcess;
    std::function<int(SquareDialog&)> runSquareDialog;
    std::function<void(AboutDialog&)> runAboutDialog;
    // The favourites (32775) and options (32779) flows; nothing happens until connected.
    std::function<void(ScreenForm&)> favoritesCommand;
    std::function<void(ScreenForm&)> optionsCommand;

  private:
    void addMenuBar(ScreenSize screen, int strip);
    void addMenu();

    MainScreenServices m_services;
    QWidget* m_titleStrip = nullptr;
    ScreenForm* m_form = nullptr;
    QWidget* m_menuBar = nullptr;
    QToolButton* m_menuButton = nullptr;
    QToolButton* m_infoButton = nullptr;
    QMenu* m_menu = nullptr;
    FocusWatch* m_focusWatch = nullptr;
};

}  // namespace velomar
