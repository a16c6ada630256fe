#include "app/dialog_wiring.h"

#include "app/detail_dialog.h"
#include "app/favorites_dialog.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/screen_form.h"
#include "app/station_picker_dialog.h"

namespace velomar {

void ConnectFormDialogs(ScreenForm& form, const MainScreenServices& services) {
    const ScreenSize screen = services.screen;
    form.stationButtonHook = [screen](ScreenForm& target, StationEnd end) {
        // Keep the other controls as the user left them; only the two fields change.
        target.pullForm();
        OpenStationPickerFrom(target.screen(), end == StationEnd::Departure,
                              MakePickerRunner(target.layout(), screen, &target));
        target.pushForm();
    };
    form.trainDetailHook = [screen](ScreenForm& target, const StopList& stops) {
        DetailDialog dialog(target.layout(), screen, stops, &target);
        dialog.exec();
    };
}

void ConnectDialogs(MainWindow& window, const MainScreenServices& services) {
    ConnectFormDialogs(window.form(), services);
    MainWindow* owner = &window;
    window.optionsCommand = [owner, services](ScreenForm&) {
        OptionsDialog dialog(services.settings, services.screen, owner);
        dialog.exec();
    };
    window.favoritesCommand = [owner, services](ScreenForm& form) {
        // The favourites' "찾기" always opens the portrait picker.
        const PickerRunner picker = MakePickerRunner(Layout::Portrait, services.screen, owner);
        form.pullForm();
        OpenFavoritesFrom(form.screen(), services.settings, [&] {
            FavoritesDialog dialog(services.settings, services.messages, services.screen, picker,
                                   owner, form.suggestions());
            const bool accepted = dialog.exec() == QDialog::Accepted;
            return FavoritesOutcome{accepted, dialog.rules().GetSelection()};
        });
        form.pushForm();
    };
}

}  // namespace velomar
