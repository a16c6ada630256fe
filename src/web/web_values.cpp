#include "web/web_values.h"

#include "platform/utf8.h"
#include "screens/layout_rules.h"

namespace velomar {

using emscripten::val;

namespace {

template <typename Items, typename Convert>
val arrayOf(const Items& items, Convert convert) {
    val out = val::array();
    int index = 0;
    for (const auto& item : items) {
        out.set(index++, convert(item));
    }
    return out;
}

val messages(const std::vector<Message>& all) {
    return arrayOf(all, [](const Message& message) {
        val out = val::object();
        out.set("text", TextToPage(message.text));
        out.set("caption", TextToPage(message.caption));
        return out;
    });
}

val rect(const PixelRect& box) {
    val out = val::object();
    out.set("x", box.x);
    out.set("y", box.y);
    out.set("width", box.width);
    out.set("height", box.height);
    return out;
}

const char* kindName(ItemClass kind) {
    switch (kind) {
        case ItemClass::Button:
            return "button";
        case ItemClass::Static:
            return "static";
        case ItemClass::Icon:
            return "icon";
        case ItemClass::GroupBox:
            return "group";
        case ItemClass::Edit:
            return "edit";
        case ItemClass::DropDownList:
            return "dropdown";
        case ItemClass::ListView:
            break;
    }
    return "list";
}

val tile(int id) {
    const ButtonTile* found = FindButtonTile(id);
    if (found == nullptr) {
        return val::null();
    }
    val out = val::object();
    out.set("lettering", TextToPage(found->lettering));
    out.set("grey", found->face == TileFace::Grey);
    out.set("blackInk", found->ink == TileInk::Black);
    out.set("arrow", found->arrow == TileArrow::Back      ? "back"
                     : found->arrow == TileArrow::Forward ? "forward"
                                                          : "");
    return out;
}

val controls(const std::vector<WebControl>& all) {
    return arrayOf(all, [](const WebControl& control) {
        val out = val::object();
        out.set("role", control.role);
        out.set("id", control.id);
        out.set("group", control.group);
        out.set("kind", kindName(control.kind));
        out.set("text", TextToPage(control.text));
        out.set("rect", rect(control.rect));
        out.set("tile", tile(control.tile));
        out.set("pressedTile", tile(control.pressedTile));
        out.set("enabled", control.enabled);
        return out;
    });
}

val list(const WebList& shown) {
    val out = val::object();
    out.set("headers", arrayOf(shown.headers, TextToPage));
    out.set("widths", arrayOf(shown.widths, [](int width) { return val(width); }));
    out.set("headerHeight", shown.headerHeight);
    out.set("rowHeight", shown.rowHeight);
    return out;
}

}  // namespace

std::u16string TextFromPage(const std::string& text) {
    if (auto exact = FromUtf8(text)) {
        return *exact;
    }
    // A lone surrogate from the page arrives as bytes that are not UTF-8: U+FFFD for them.
    std::u16string out;
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8Sequence(text, at, code);
        AppendUtf16(out, length > 0 ? code : U'\xFFFD');
        at += length > 0 ? length : 1;
    }
    return out;
}

val TextToPage(std::u16string_view text) {
    return val(ToUtf8(text));
}

WebForm FormFromPage(const val& form) {
    WebForm out;
    if (!form.isUndefined() && !form.isNull()) {
        out.departure = TextFromPage(form["departure"].as<std::string>());
        out.arrival = TextFromPage(form["arrival"].as<std::string>());
        out.type = form["type"].as<int>();
        out.hour = form["hour"].as<int>();
        out.minute = form["minute"].as<int>();
    }
    return out;
}

val ToPage(const MainView& view) {
    val out = val::object();
    out.set("layout", view.layout == Layout::Portrait ? "portrait" : "square");
    out.set("ended", view.ended);
    val form = val::object();
    form.set("departure", TextToPage(view.form.departure));
    form.set("arrival", TextToPage(view.form.arrival));
    form.set("type", view.form.type);
    form.set("hour", view.form.hour);
    form.set("minute", view.form.minute);
    out.set("form", form);
    out.set("rows", arrayOf(view.rows, [](const ResultRow& row) {
                val cells = val::object();
                cells.set("slot", row.slot);
                cells.set("trainNo", TextToPage(row.trainNo));
                cells.set("departure", TextToPage(row.departure));
                cells.set("arrival", TextToPage(row.arrival));
                cells.set("type", TextToPage(row.typeLabel));
                return cells;
            }));
    out.set("date", ToPage(view.date));
    out.set("messages", messages(view.messages));
    return out;
}

val ToPage(const DateView& view) {
    const auto texts = [](const std::u16string& text) { return TextToPage(text); };
    val out = val::object();
    out.set("shown", view.shown);
    out.set("entries", arrayOf(view.entries, texts));
    out.set("selection", view.selection);
    out.set("openPicker", view.openPicker);
    out.set("days", arrayOf(view.days, texts));
    out.set("startRow", view.startRow);
    return out;
}

val ToPage(const PickerView& view) {
    val out = val::object();
    out.set("layout", view.layout == Layout::Portrait ? "portrait" : "square");
    out.set("departure", view.departure);
    out.set("shownRows", arrayOf(view.shownRows, [](int row) { return val(row); }));
    return out;
}

val ToPage(const FavoritesView& view) {
    val out = val::object();
    out.set("rows", arrayOf(view.rows, [](const FavoritePair& pair) {
                val row = val::object();
                row.set("departure", TextToPage(pair.departure));
                row.set("arrival", TextToPage(pair.arrival));
                return row;
            }));
    out.set("checks", arrayOf(view.checks, [](bool checked) { return val(checked); }));
    out.set("departure", TextToPage(view.departure));
    out.set("arrival", TextToPage(view.arrival));
    out.set("chosen", view.chosen);
    out.set("messages", messages(view.messages));
    return out;
}

val ToPage(const OptionsView& view) {
    val out = val::object();
    out.set("entries", arrayOf(view.entries, TextToPage));
    out.set("selection", view.selection);
    return out;
}

val ToPage(const DetailView& view) {
    val out = val::object();
    out.set("open", view.open);
    out.set("layout", view.layout == Layout::Portrait ? "portrait" : "square");
    val stops = val::array();
    for (std::size_t i = 0; i < view.stops.count(); ++i) {
        val stop = val::object();
        stop.set("station", TextToPage(view.stops.stationNames[i]));
        stop.set("time", TextToPage(i < view.stops.times.size() ? StopTimeText(view.stops.times[i])
                                                                : std::u16string()));
        stops.set(static_cast<int>(i), stop);
    }
    out.set("stops", stops);
    out.set("messages", messages(view.messages));
    return out;
}

val ToPage(const FormLayout& layout) {
    val out = val::object();
    out.set("layout", layout.layout == Layout::Portrait ? "portrait" : "square");
    out.set("width", layout.screen.width);
    out.set("height", layout.screen.height);
    out.set("strip", layout.strip);
    out.set("fontPixels", layout.fontPixels);
    out.set("stripFontPixels", layout.stripFontPixels);
    out.set("controls", controls(layout.controls));
    out.set("list", list(layout.list));
    out.set("dateBox", rect(layout.dateBox));
    return out;
}

val ToPage(const DialogLayout& layout) {
    val out = val::object();
    out.set("templateId", layout.templateId);
    out.set("caption", TextToPage(layout.caption));
    out.set("frame", rect(layout.frame));
    out.set("captionHeight", layout.captionHeight);
    out.set("fontPixels", layout.fontPixels);
    out.set("captionFontPixels", layout.captionFontPixels);
    out.set("controls", controls(layout.controls));
    out.set("list", list(layout.list));
    return out;
}

}  // namespace velomar
