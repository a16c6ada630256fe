#include "web/web_dialog_layout.h"

#include <algorithm>

#include "screens/detail_layout.h"
#include "screens/favorites.h"
#include "screens/options.h"
#include "screens/screen_fit.h"
#include "screens/station_picker.h"

namespace velomar {

namespace {

// The dialog's size from its template on this screen (narrowed to fit), centred; the units
// its controls take.
DialogLayout shaped(const DialogTemplate& data, DialogUnits units, ScreenSize screen,
                    DialogUnits& fitted) {
    DialogLayout dialog;
    dialog.templateId = data.id;
    dialog.caption = data.caption;
    dialog.captionHeight = DialogCaptionHeight(screen);
    fitted = FitDialogUnits(units, data.width, data.height, dialog.captionHeight, screen);
    const PixelRect client =
        ToPixels({0, 0, data.width, data.height}, fitted).value_or(PixelRect{});
    dialog.frame = CentreOnScreen(client.width, dialog.captionHeight + client.height, screen);
    dialog.fontPixels = FontPixelSize(data.fontPointSize, screen);
    dialog.captionFontPixels = FontPixelSize(kChromeFontPoints, screen);
    return dialog;
}

void addItems(DialogLayout& dialog, const DialogTemplate& data, DialogUnits units) {
    for (WebControl& item : TemplateControls(data, units)) {
        dialog.controls.push_back(std::move(item));
    }
}

}  // namespace

DialogLayout PickerLayout(Layout layout, ScreenSize screen, bool departure) {
    DialogUnits units{};
    DialogLayout dialog =
        shaped(PickerTemplate(layout),
               layout == Layout::Portrait ? DialogUnitsFor(screen) : SquareDialogUnits(screen),
               screen, units);
    const PickerEndLabel end = PickerEndLabelFor(layout, screen.width, departure);
    const ButtonTile* tile = FindButtonTile(end.bitmapId);
    WebControl endLabel = MakeControl("endLabel", kPickerEndLabelId, ItemClass::Button,
                                      tile != nullptr ? std::u16string(tile->lettering) : u"",
                                      PixelRect{end.x, end.y, end.width, end.height});
    endLabel.tile = end.bitmapId;
    endLabel.pressedTile = end.bitmapId;
    dialog.controls.push_back(std::move(endLabel));
    const int closed =
        ToPixels({0, 0, 0, kClosedDropDownHeightDu}, units).value_or(PixelRect{}).height;
    for (const PickerListSpec& listSpec : PickerLists()) {
        const DuRect labelRect{listSpec.labelX, listSpec.labelY, kPickerLabelWidthDu,
                               kPickerLabelHeightDu};
        dialog.controls.push_back(MakeControl("static", kStaticItemId, ItemClass::Static,
                                              std::u16string(listSpec.label),
                                              ToPixels(labelRect, units).value_or(PixelRect{})));
        PixelRect box = ToPixels(listSpec.list, units).value_or(PixelRect{});
        box.height = closed;
        WebControl list = MakeControl("group", PickerListId(layout, listSpec.group),
                                      ItemClass::DropDownList, u"", box);
        list.enabled = PickerGroupEnabled(listSpec.group);
        list.group = listSpec.group;
        dialog.controls.push_back(std::move(list));
    }
    dialog.controls.push_back(MakeControl("ok", kOptionsOkId, ItemClass::Button,
                                          std::u16string(kPickerOkText),
                                          ToPixels(kPickerOkRect, units).value_or(PixelRect{})));
    dialog.controls.push_back(MakeControl(
        "cancel", kOptionsCancelId, ItemClass::Button, std::u16string(kPickerCancelText),
        ToPixels(kPickerCancelRect, units).value_or(PixelRect{})));
    return dialog;
}

DialogLayout FavoritesLayout(ScreenSize screen) {
    DialogUnits units{};
    DialogLayout dialog = shaped(FavoritesTemplate(), DialogUnitsFor(screen), screen, units);
    addItems(dialog, FavoritesTemplate(), units);
    const FavoriteColumns widths = FavoriteColumnWidths(screen.width);
    dialog.list.headers = {std::u16string(kFavoritesDepartureHeader),
                           std::u16string(kFavoritesArrivalHeader)};
    dialog.list.widths = {widths.departure, widths.arrival};
    // Rows of the text's height; the list scrolls when ten of them do not fit.
    dialog.list.headerHeight = LineHeight(dialog.fontPixels);
    dialog.list.rowHeight = dialog.list.headerHeight;
    return dialog;
}

DialogLayout OptionsLayout(ScreenSize screen) {
    DialogUnits units{};
    DialogLayout dialog = shaped(OptionsTemplate(), DialogUnitsFor(screen), screen, units);
    addItems(dialog, OptionsTemplate(), units);
    return dialog;
}

DialogLayout DatePickerLayout(ScreenSize screen) {
    const DialogTemplate& data = *FindDialogTemplate(kDatePickerTemplate);
    DialogUnits units{};
    DialogLayout dialog = shaped(data, DialogUnitsFor(screen), screen, units);
    addItems(dialog, data, units);
    return dialog;
}

DialogLayout DetailLayout(Layout layout, ScreenSize screen) {
    const DialogTemplate& data = DetailTemplate(layout);
    DialogUnits units{};
    DialogLayout dialog = shaped(
        data, layout == Layout::Portrait ? DialogUnitsFor(screen) : SquareDialogUnits(screen),
        screen, units);
    addItems(dialog, data, units);
    for (WebControl& item : dialog.controls) {
        if (item.id == DetailListId(layout)) {
            item.role = "list";
        }
    }
    // The place its layout moves it to, else its template's; kept on the screen.
    const DetailPlacement placement = DetailDialogPlacement(layout, screen.width);
    if (placement.moveTo) {
        dialog.frame.x = placement.moveTo->x;
        dialog.frame.y = placement.moveTo->y;
    } else if (const auto at = ToPixels(DetailTemplateRect(layout), units)) {
        dialog.frame.x = at->x;
        dialog.frame.y = at->y;
    }
    dialog.frame = KeepWithinScreen(dialog.frame, screen);
    dialog.list.headers = {std::u16string(kDetailNameHeader), std::u16string(kDetailTimeHeader)};
    dialog.list.widths = {placement.nameWidth, placement.timeWidth};
    dialog.list.headerHeight = LineHeight(dialog.fontPixels);
    dialog.list.rowHeight = dialog.list.headerHeight;
    return dialog;
}

DialogLayout AboutLayout(ScreenSize screen, int sourceLines) {
    const DialogTemplate& data = *FindDialogTemplate(kAboutTemplate);
    DialogUnits units{};
    DialogLayout dialog = shaped(data, DialogUnitsFor(screen), screen, units);
    addItems(dialog, data, units);
    if (sourceLines <= 0) {
        return dialog;
    }
    // The timetables' notes below the template, as many lines as the screen has room for
    // (the rest scrolls), the dialog growing upwards from the middle.
    const int line = LineHeight(dialog.fontPixels);
    const int room = screen.height - dialog.frame.height;
    const int height = std::max(0, std::min(room, line * (sourceLines + 1)));
    const int client = dialog.frame.height - dialog.captionHeight;
    dialog.controls.push_back(
        MakeControl("source", kStaticItemId, ItemClass::Static, u"",
                    PixelRect{line / 2, client, dialog.frame.width - line, height - line / 2}));
    dialog.frame = CentreOnScreen(dialog.frame.width, dialog.frame.height + height, screen);
    return dialog;
}

DialogLayout MessageLayout(ScreenSize screen, std::u16string_view caption) {
    DialogLayout dialog;
    dialog.caption = caption;
    dialog.captionHeight = DialogCaptionHeight(screen);
    dialog.fontPixels = FontPixelSize(10, screen);
    dialog.captionFontPixels = FontPixelSize(kChromeFontPoints, screen);
    const int width = screen.width * 5 / 6;
    const int line = LineHeight(dialog.fontPixels);
    const int height = line * 6;
    dialog.frame = CentreOnScreen(width, dialog.captionHeight + height, screen);
    const int buttonWidth = width / 3;
    dialog.controls.push_back(MakeControl("text", kStaticItemId, ItemClass::Static, u"",
                                          PixelRect{line / 2, line / 2, width - line, line * 3}));
    dialog.controls.push_back(
        MakeControl("ok", 1, ItemClass::Button, u"OK",
                    PixelRect{(width - buttonWidth) / 2, line * 4, buttonWidth, line * 3 / 2}));
    return dialog;
}

}  // namespace velomar
