// The page's way into the core (embind). Every call is guarded: a C++ exception that reached
// the page would arrive as a bare number, so it comes back as {error: text} instead.
#include <emscripten/bind.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string>

#include "network/station_directory.h"
#include "screens/dialog_template.h"
#include "screens/station_completion.h"
#include "settings/browser_settings.h"
#include "web/timetable_pack.h"
#include "web/web_values.h"

namespace velomar {

using emscripten::val;

namespace {

// The least height of a row a finger taps, in CSS pixels.
constexpr double kFingerCssPixels = 24;

// The folder the timetables are unpacked into, in the app's own file system.
constexpr const char* kDataFolder = "/data";

template <typename Call>
val guarded(Call call) {
    try {
        return call();
    } catch (const std::exception& error) {
        val out = val::object();
        out.set("error", std::string(error.what()));
        return out;
    } catch (...) {
        val out = val::object();
        out.set("error", std::string("unexpected failure"));
        return out;
    }
}

template <typename Texts>
val textArray(const Texts& texts) {
    val out = val::array();
    int index = 0;
    for (const auto& text : texts) {
        out.set(index++, TextToPage(text));
    }
    return out;
}

val installTimetables(const std::string& pack) {
    return guarded([&] {
        const PackInstall installed = InstallTimetablePack(pack, kDataFolder);
        val out = val::object();
        out.set("ok", installed.ok);
        out.set("files", static_cast<int>(installed.files));
        out.set("error", installed.error);
        return out;
    });
}

// The lists of the main screen and the picker's groups: the same in every layout.
val entries() {
    return guarded([] {
        val out = val::object();
        out.set("types", textArray(TrainTypeEntries()));
        out.set("hours", textArray(HourEntries()));
        out.set("minutes", textArray(MinuteEntries()));
        val groups = val::array();
        for (int group = 0; group < kGroupCount; ++group) {
            val names = val::array();
            for (int row = 0; row < GroupSize(group); ++row) {
                names.set(row, TextToPage(GroupEntry(group, row).name));
            }
            groups.set(group, names);
        }
        out.set("groups", groups);
        return out;
    });
}

val completions(const std::string& typed) {
    return guarded([&] { return textArray(StationCompletions(TextFromPage(typed))); });
}

class WebApp {
  public:
    WebApp()
        : m_session(WebServices{std::make_unique<BrowserSettingsBackend>(), kDataFolder,
                                std::make_unique<SystemClock>()}) {}

    val start(int width, int height) {
        return guarded([&] { return ToPage(m_session.start(width, height)); });
    }
    val resize(int width, int height) {
        return guarded([&] { return ToPage(m_session.resize(width, height)); });
    }
    val screen() {
        return guarded([&] {
            // Upright, result rows stay at least a finger high (24 CSS pixels).
            const PhoneScreen& phone = m_session.phone();
            const int finger = static_cast<int>(std::ceil(kFingerCssPixels / phone.scale));
            val out = ToPage(MainFormLayout(m_session.layout(), phone.screen,
                                            m_session.layout() == Layout::Portrait ? finger : 0));
            out.set("scale", m_session.phone().scale);
            return out;
        });
    }
    val clock() {
        return guarded([&] { return TextToPage(TitleClockText(m_session.now())); });
    }
    val search(val form) {
        return guarded([&] { return ToPage(m_session.search(FormFromPage(form))); });
    }
    val prev(val form) {
        return guarded([&] { return ToPage(m_session.prev(FormFromPage(form))); });
    }
    val next(val form) {
        return guarded([&] { return ToPage(m_session.next(FormFromPage(form))); });
    }
    val focusReset(val form) {
        return guarded([&] { return ToPage(m_session.focusReset(FormFromPage(form))); });
    }
    val detail(val form, int row) {
        return guarded([&] {
            const DetailView detail = m_session.detail(FormFromPage(form), row);
            val out = ToPage(detail);
            out.set("dialog", ToPage(DetailLayout(detail.layout, m_session.phone().screen)));
            return out;
        });
    }
    val closeSquare(bool ok, val form) {
        return guarded([&] { return ToPage(m_session.closeSquare(ok, FormFromPage(form))); });
    }
    val end() {
        return guarded([&] { return ToPage(m_session.end()); });
    }
    val openPicker(bool departure, bool fromFavorites) {
        return guarded([&] {
            const PickerView picker = m_session.openPicker(departure, fromFavorites);
            val out = ToPage(picker);
            out.set("dialog",
                    ToPage(PickerLayout(picker.layout, m_session.phone().screen, departure)));
            return out;
        });
    }
    val pick(int group, int row) {
        return guarded([&] { return ToPage(m_session.pick(group, row)); });
    }
    val closePickerOnMain(bool accepted, val form) {
        return guarded(
            [&] { return ToPage(m_session.closePickerOnMain(accepted, FormFromPage(form))); });
    }
    val closePickerOnFavorites(bool accepted) {
        return guarded([&] { return ToPage(m_session.closePickerOnFavorites(accepted)); });
    }
    val openFavorites() {
        return guarded([&] {
            val out = ToPage(m_session.openFavorites());
            out.set("dialog", ToPage(FavoritesLayout(m_session.phone().screen)));
            return out;
        });
    }
    val favoritesClick(int row) {
        return guarded([&] { return ToPage(m_session.favoritesClick(row)); });
    }
    val favoritesCheck(int row, bool checked) {
        return guarded([&] { return ToPage(m_session.favoritesCheck(row, checked)); });
    }
    val favoritesAdd(const std::string& departure, const std::string& arrival) {
        return guarded([&] {
            return ToPage(m_session.favoritesAdd(TextFromPage(departure), TextFromPage(arrival)));
        });
    }
    val favoritesDelete() {
        return guarded([&] { return ToPage(m_session.favoritesDelete()); });
    }
    val closeFavorites(bool accepted, const std::string& departure, const std::string& arrival,
                       val form) {
        return guarded([&] {
            return ToPage(m_session.closeFavorites(accepted, TextFromPage(departure),
                                                   TextFromPage(arrival), FormFromPage(form)));
        });
    }
    val pickDate(int entry) {
        return guarded([&] {
            const DateView picked = m_session.pickDate(entry);
            val out = ToPage(picked);
            if (picked.openPicker) {
                out.set("dialog", ToPage(DatePickerLayout(m_session.phone().screen)));
            }
            return out;
        });
    }
    val pickDay(int row) {
        return guarded([&] { return ToPage(m_session.pickDay(row)); });
    }
    val openOptions() {
        return guarded([&] {
            val out = ToPage(m_session.openOptions());
            out.set("dialog", ToPage(OptionsLayout(m_session.phone().screen)));
            return out;
        });
    }
    val optionsSelect(int entry) {
        return guarded([&] { return ToPage(m_session.optionsSelect(entry)); });
    }
    val closeOptions(bool ok) {
        return guarded([&] { return ToPage(m_session.closeOptions(ok)); });
    }
    val about() {
        return guarded([&] {
            const std::string source = m_session.sourceText();
            const int lines = static_cast<int>(std::count(source.begin(), source.end(), '\n')) +
                              (source.empty() || source.back() == '\n' ? 0 : 1);
            val out = val::object();
            out.set("dialog", ToPage(AboutLayout(m_session.phone().screen, lines)));
            out.set("source", source);
            return out;
        });
    }
    val messageBox(const std::string& caption) {
        return guarded(
            [&] { return ToPage(MessageLayout(m_session.phone().screen, TextFromPage(caption))); });
    }

  private:
    WebSession m_session;
};

}  // namespace

EMSCRIPTEN_BINDINGS(velomar) {
    emscripten::function("installTimetables", &installTimetables);
    emscripten::function("entries", &entries);
    emscripten::function("completions", &completions);
    emscripten::class_<WebApp>("WebApp")
        .constructor<>()
        .function("start", &WebApp::start)
        .function("resize", &WebApp::resize)
        .function("screen", &WebApp::screen)
        .function("clock", &WebApp::clock)
        .function("search", &WebApp::search)
        .function("prev", &WebApp::prev)
        .function("next", &WebApp::next)
        .function("focusReset", &WebApp::focusReset)
        .function("detail", &WebApp::detail)
        .function("closeSquare", &WebApp::closeSquare)
        .function("end", &WebApp::end)
        .function("openPicker", &WebApp::openPicker)
        .function("pick", &WebApp::pick)
        .function("closePickerOnMain", &WebApp::closePickerOnMain)
        .function("closePickerOnFavorites", &WebApp::closePickerOnFavorites)
        .function("openFavorites", &WebApp::openFavorites)
        .function("favoritesClick", &WebApp::favoritesClick)
        .function("favoritesCheck", &WebApp::favoritesCheck)
        .function("favoritesAdd", &WebApp::favoritesAdd)
        .function("favoritesDelete", &WebApp::favoritesDelete)
        .function("closeFavorites", &WebApp::closeFavorites)
        .function("pickDate", &WebApp::pickDate)
        .function("pickDay", &WebApp::pickDay)
        .function("openOptions", &WebApp::openOptions)
        .function("optionsSelect", &WebApp::optionsSelect)
        .function("closeOptions", &WebApp::closeOptions)
        .function("about", &WebApp::about)
        .function("messageBox", &WebApp::messageBox);
}

}  // namespace velomar
