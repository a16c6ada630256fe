#pragma once

// Opens the dialogs from the menu, the station buttons and a tapped result row.

#include "screens/main_screen.h"

namespace velomar {

class MainWindow;
class ScreenForm;

// Connects the station buttons and the row tap of one form to the picker and detail dialogs.
void ConnectFormDialogs(ScreenForm& form, const MainScreenServices& services);
// All of them for the window: the menu's favourites and options commands and its form (the
// square form, when one runs, takes the form's hooks over).
void ConnectDialogs(MainWindow& window, const MainScreenServices& services);

}  // namespace velomar
