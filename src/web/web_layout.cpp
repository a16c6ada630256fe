#include "web/web_layout.h"

#include <algorithm>
#include <cmath>

#include "screens/date_control.h"
#include "screens/favorites.h"
#include "screens/layout_relayout.h"
#include "screens/options.h"
#include "web/phone_screen.h"

namespace velomar {

namespace {

// The form's controls by id, moved as RelayoutFromTemplate says.
class FormControls : public RelayoutTarget {
  public:
    explicit FormControls(std::vector<WebControl>& controls) : m_controls(controls) {}

    bool hasControl(int id) const override { return find(id) != nullptr; }
    void setControlText(int id, std::u16string_view text) override {
        if (WebControl* control = find(id)) {
            control->text = text;
        }
    }
    void setControlIcon(int) override {}
    void reselect(int) override {}
    bool applyMoves(const std::vector<ControlMove>& moves) override {
        for (const ControlMove& move : moves) {
            if (WebControl* control = find(move.controlId)) {
                control->rect = move.rect;
            }
        }
        return true;
    }

  private:
    WebControl* find(int id) const {
        for (WebControl& control : m_controls) {
            if (control.id == id && id != kStaticItemId) {
                return &control;
            }
        }
        return nullptr;
    }
    std::vector<WebControl>& m_controls;
};

struct Role {
    int templateId;
    int controlId;
    const char* role;
};

constexpr Role kRoles[] = {
    {kPortraitTemplate, portrait_id::kTypeLabel, "typeLabel"},
    {kPortraitTemplate, portrait_id::kTypeList, "types"},
    {kPortraitTemplate, portrait_id::kTimeLabel, "timeLabel"},
    {kPortraitTemplate, portrait_id::kHourList, "hours"},
    {kPortraitTemplate, portrait_id::kHourUnit, "hourUnit"},
    {kPortraitTemplate, portrait_id::kMinuteUnit, "minuteUnit"},
    {kPortraitTemplate, portrait_id::kMinuteList, "minutes"},
    {kPortraitTemplate, portrait_id::kDepartureButton, "departureButton"},
    {kPortraitTemplate, portrait_id::kDepartureField, "departure"},
    {kPortraitTemplate, portrait_id::kArrivalButton, "arrivalButton"},
    {kPortraitTemplate, portrait_id::kArrivalField, "arrival"},
    {kPortraitTemplate, portrait_id::kPrev, "prev"},
    {kPortraitTemplate, portrait_id::kSearch, "search"},
    {kPortraitTemplate, portrait_id::kNext, "next"},
    {kPortraitTemplate, portrait_id::kResultList, "results"},
    {kSquareTemplate, square_id::kTypeLabel, "typeLabel"},
    {kSquareTemplate, square_id::kTypeList, "types"},
    {kSquareTemplate, square_id::kTimeLabel, "timeLabel"},
    {kSquareTemplate, square_id::kHourList, "hours"},
    {kSquareTemplate, square_id::kHourUnit, "hourUnit"},
    {kSquareTemplate, square_id::kMinuteUnit, "minuteUnit"},
    {kSquareTemplate, square_id::kMinuteList, "minutes"},
    {kSquareTemplate, square_id::kDepartureButton, "departureButton"},
    {kSquareTemplate, square_id::kDepartureField, "departure"},
    {kSquareTemplate, square_id::kArrivalButton, "arrivalButton"},
    {kSquareTemplate, square_id::kArrivalField, "arrival"},
    {kSquareTemplate, square_id::kPrev, "prev"},
    {kSquareTemplate, square_id::kSearch, "search"},
    {kSquareTemplate, square_id::kNext, "next"},
    {kSquareTemplate, square_id::kResultList, "results"},
    {kSquareTemplate, square_id::kOk, "ok"},
    {kSquareTemplate, square_id::kCancel, "cancel"},
    {kFavoritesTemplate, favorites_id::kDepartureField, "departure"},
    {kFavoritesTemplate, favorites_id::kArrivalField, "arrival"},
    {kFavoritesTemplate, favorites_id::kDepartureFind, "findDeparture"},
    {kFavoritesTemplate, favorites_id::kArrivalFind, "findArrival"},
    {kFavoritesTemplate, favorites_id::kAdd, "add"},
    {kFavoritesTemplate, favorites_id::kList, "list"},
    {kFavoritesTemplate, favorites_id::kOk, "ok"},
    {kFavoritesTemplate, favorites_id::kDelete, "delete"},
    {kFavoritesTemplate, favorites_id::kCancel, "cancel"},
    {kOptionsTemplate, kOptionsListId, "list"},
    {kOptionsTemplate, kOptionsOkId, "ok"},
    {kOptionsTemplate, kOptionsCancelId, "cancel"},
    {kAboutTemplate, about_id::kOk, "ok"},
    {kDatePickerTemplate, date_picker_id::kDayList, "list"},
    {kDatePickerTemplate, date_picker_id::kOk, "ok"},
    {kDatePickerTemplate, date_picker_id::kCancel, "cancel"},
};

// A drop-down list's template height is its height open; closed it is one line.
void closeDropDowns(std::vector<WebControl>& controls, DialogUnits units) {
    const int closed =
        ToPixels({0, 0, 0, kClosedDropDownHeightDu}, units).value_or(PixelRect{}).height;
    for (WebControl& control : controls) {
        if (control.kind == ItemClass::DropDownList) {
            control.rect.height = closed;
        }
    }
}

std::vector<WebControl> controlsOf(const DialogTemplate& dialog, DialogUnits units) {
    std::vector<WebControl> controls;
    for (const DialogItem& item : dialog.items) {
        controls.push_back(MakeControl(ControlRole(dialog.id, item.id), item.id, item.itemClass,
                                       std::u16string(item.text),
                                       ToPixels(item.rect, units).value_or(PixelRect{})));
    }
    closeDropDowns(controls, units);
    return controls;
}

// Each button takes its tile's size at its template place, as a bitmap button does.
void putTiles(std::vector<WebControl>& controls, const ButtonImageSet& images, double stretch) {
    for (const ButtonImages& image : images) {
        const ButtonTile* tile = FindButtonTile(image.normalTile);
        for (WebControl& control : controls) {
            if (control.id == image.controlId && tile != nullptr) {
                control.tile = image.normalTile;
                control.pressedTile = image.pressedTile;
                control.text = tile->lettering;
                control.rect.width = tile->width;
                control.rect.height = static_cast<int>(std::lround(tile->height * stretch));
            }
        }
    }
}

WebControl* controlWithId(std::vector<WebControl>& controls, int id) {
    for (WebControl& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

}  // namespace

WebControl MakeControl(std::string role, int id, ItemClass kind, std::u16string text,
                       PixelRect rect) {
    WebControl control;
    control.role = std::move(role);
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    control.rect = rect;
    return control;
}

std::string ControlRole(int templateId, int controlId) {
    for (const Role& role : kRoles) {
        if (role.templateId == templateId && role.controlId == controlId) {
            return role.role;
        }
    }
    return controlId == kStaticItemId ? "static" : "";
}

std::vector<WebControl> TemplateControls(const DialogTemplate& dialog, DialogUnits units) {
    return controlsOf(dialog, units);
}

int LineHeight(int fontPixels) {
    return (fontPixels * 5 + 3) / 4;
}

WebList FitListRows(WebList list, int inner, int fontPixels, int rows, int minimumRow) {
    const int natural = LineHeight(fontPixels);
    const ResultListRows fit = FitResultRows(inner, natural, natural, rows);
    list.headerHeight = fit.headerHeight;
    list.rowHeight =
        rows > 0 ? std::max(fit.rowHeight, (inner - fit.headerHeight) / rows) : fit.rowHeight;
    list.rowHeight = std::max(list.rowHeight, minimumRow);
    return list;
}

FormLayout MainFormLayout(Layout layout, ScreenSize screen, int minimumRow) {
    const bool portrait = layout == Layout::Portrait;
    const DialogTemplate& dialog =
        *FindDialogTemplate(portrait ? kPortraitTemplate : kSquareTemplate);
    const DialogUnits units = portrait ? PhoneFormUnits(screen) : SquareDialogUnits(screen);

    FormLayout form;
    form.layout = layout;
    form.screen = screen;
    form.strip = portrait ? ChromeStripHeight(screen) : 0;
    form.fontPixels = FontPixelSize(dialog.fontPointSize, screen);
    form.stripFontPixels = FontPixelSize(kChromeFontPoints, screen);
    form.controls = controlsOf(dialog, units);
    if (portrait) {
        bool shown = true;  // the relayout only: the square dialog is a screen of its own
        const LayoutAction action = ChooseLayout(screen, shown);
        if (action.kind == LayoutActionKind::Relayout) {
            FormControls target(form.controls);
            RelayoutFromTemplate(target, action.templateId, units);
            closeDropDowns(form.controls, units);
        }
    }
    if (portrait) {
        form.dateBox = PortraitDateBox(screen);
    } else {
        form.dateBox = ToPixels(kSquareDateBox, units).value_or(PixelRect{});
        for (WebControl& control : form.controls) {
            if (control.text == kWebAddressLine) {
                control.role = "webAddress";
            }
        }
    }
    putTiles(form.controls, portrait ? PortraitButtonImages(screen) : SquareButtonImages(),
             portrait ? PhoneFormStretch(screen) : 1.0);

    const ColumnWidths widths = portrait ? PortraitColumnWidths(screen) : SquareColumnWidths();
    form.list.widths.assign(widths.begin(), widths.end());
    form.list.headers.assign(kResultColumnHeaders.begin(), kResultColumnHeaders.end());
    const int listId = portrait ? portrait_id::kResultList : square_id::kResultList;
    if (WebControl* list = controlWithId(form.controls, listId)) {
        if (portrait) {
            // A phone is longer than the handheld: the list takes the form's height down to
            // one unit above the menu bar, so its rows can be taller.
            const int bottom = screen.height - 2 * form.strip -
                               ToPixels({0, 0, 0, 1}, units).value_or(PixelRect{}).height;
            list->rect.height = std::max(list->rect.height, bottom - list->rect.y);
        }
        const int rows = portrait ? static_cast<int>(DefaultPortraitPageSize(screen.height))
                                  : static_cast<int>(kSquareCapacity);
        form.list =
            FitListRows(form.list, list->rect.height - 2, form.fontPixels, rows, minimumRow);
    }
    return form;
}

}  // namespace velomar
