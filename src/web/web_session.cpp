#include "web/web_session.h"

#include <cstdio>
#include <utility>

namespace velomar {

namespace {

constexpr std::size_t kSourceLimit = 64 * 1024;

}  // namespace

WebSession::WebSession(WebServices services)
    : m_settings(std::move(services.settings)),
      m_clock(std::move(services.clock)),
      m_timetables(m_reader, std::move(services.dataFolder)) {}

WebSession::~WebSession() = default;

Layout WebSession::layout() const {
    return m_square ? Layout::Square : Layout::Portrait;
}

MainScreen& WebSession::screen() {
    return m_square ? *m_square : *m_portrait;
}

std::vector<Message> WebSession::takeMessages() {
    return std::exchange(m_messages.messages, {});
}

void WebSession::pull(const WebForm& form) {
    MainForm& fields = screen().form();
    fields.departureField = form.departure;
    fields.arrivalField = form.arrival;
    fields.typeSelection = form.type;
    fields.hourSelection = form.hour;
    fields.minuteSelection = form.minute;
}

MainView WebSession::view() {
    MainView shown;
    shown.layout = layout();
    shown.ended = m_ended;
    if (m_portrait) {
        const MainForm& fields = screen().form();
        shown.form = {fields.departureField, fields.arrivalField, fields.typeSelection,
                      fields.hourSelection, fields.minuteSelection};
        shown.rows = (m_square ? m_squareRows : m_portraitRows).rows;
        shown.date = dateView();
    }
    shown.messages = takeMessages();
    return shown;
}

// The portrait form's size handling: on a 320-wide screen the square screen runs first, once
// in a run; the form's own start-up waits until it has gone.
void WebSession::runLayoutChoice() {
    const LayoutAction action = ChooseLayout(m_phone.screen, m_run.squareDialogShown);
    if (action.kind == LayoutActionKind::SquareDialog) {
        const MainScreenServices services{
            *m_settings,    m_timetables,           m_run.grid, m_messages, *m_clock,
            m_phone.screen, m_run.squareDialogShown};
        m_square = std::make_unique<MainScreen>(Layout::Square, services, m_squareRows);
        m_square->startUp();
    }
    if (!m_square && !m_portraitStarted) {
        m_portrait->startUp();
        m_portraitStarted = true;
    }
}

MainView WebSession::start(int viewportWidth, int viewportHeight) {
    if (m_portrait) {
        return resize(viewportWidth, viewportHeight);
    }
    m_viewport = {viewportWidth, viewportHeight};
    m_phone = PhoneScreenFor(viewportWidth, viewportHeight);
    const MainScreenServices services{
        *m_settings,    m_timetables,           m_run.grid, m_messages, *m_clock,
        m_phone.screen, m_run.squareDialogShown};
    m_portrait = std::make_unique<MainScreen>(Layout::Portrait, services, m_portraitRows);
    runLayoutChoice();
    return view();
}

MainView WebSession::resize(int viewportWidth, int viewportHeight) {
    if (!m_portrait) {
        return start(viewportWidth, viewportHeight);
    }
    m_viewport = {viewportWidth, viewportHeight};
    // The square screen stays the 320x320 screen until it ends, scaled to the new viewport.
    if (m_square) {
        m_phone = SquareScreenFor(viewportWidth, viewportHeight);
        return view();
    }
    const PhoneScreen phone = PhoneScreenFor(viewportWidth, viewportHeight);
    const bool newScreen = phone.screen != m_phone.screen;
    m_phone = phone;
    // The form's size handling again.
    if (newScreen && !m_ended) {
        runLayoutChoice();
    }
    return view();
}

MainView WebSession::search(const WebForm& form) {
    if (!m_ended) {
        pull(form);
        screen().search();
    }
    return view();
}

MainView WebSession::prev(const WebForm& form) {
    if (!m_ended) {
        pull(form);
        screen().prev();
    }
    return view();
}

MainView WebSession::next(const WebForm& form) {
    if (!m_ended) {
        pull(form);
        screen().next();
    }
    return view();
}

MainView WebSession::focusReset(const WebForm& form) {
    if (!m_ended) {
        pull(form);
        screen().focusReset();
    }
    return view();
}

DetailView WebSession::detail(const WebForm& form, int row) {
    DetailView shown;
    shown.layout = layout();
    if (!m_ended) {
        pull(form);
        if (std::optional<StopList> stops = screen().trainDetail(row)) {
            shown.open = true;
            shown.stops = std::move(*stops);
        }
    }
    shown.messages = takeMessages();
    return shown;
}

MainView WebSession::closeSquare(bool ok, const WebForm& form) {
    if (!m_square) {
        return view();
    }
    pull(form);
    if (ok) {
        m_ended = true;
        return view();
    }
    m_square.reset();
    m_squareRows.rows.clear();
    // The portrait form on the viewport the page has now (it may have turned meanwhile).
    m_phone = PhoneScreenFor(m_viewport.width, m_viewport.height);
    runLayoutChoice();
    return view();
}

MainView WebSession::end() {
    m_ended = true;
    return view();
}

PickerView WebSession::openPicker(bool departure, bool fromFavorites) {
    m_picker.emplace();
    m_picker->SetStart(departure);
    PickerView shown;
    // The favourites' "찾기" always opens the portrait picker.
    shown.layout = fromFavorites ? Layout::Portrait : layout();
    shown.departure = departure;
    for (int group = 0; group < kGroupCount; ++group) {
        shown.shownRows.push_back(m_picker->shownRow(group));
    }
    return shown;
}

PickerView WebSession::pick(int group, int row) {
    PickerView shown;
    if (m_picker) {
        m_picker->selectionChanged(group, row);
        shown.departure = m_picker->servesDeparture();
        for (int g = 0; g < kGroupCount; ++g) {
            shown.shownRows.push_back(m_picker->shownRow(g));
        }
    }
    shown.layout = layout();
    return shown;
}

MainView WebSession::closePickerOnMain(bool accepted, const WebForm& form) {
    if (m_picker && !m_ended) {
        const PickerOutcome outcome{accepted, m_picker->GetStation()};
        pull(form);
        OpenStationPickerFrom(screen(), m_picker->servesDeparture(),
                              [&outcome](bool) { return outcome; });
    }
    m_picker.reset();
    return view();
}

FavoritesView WebSession::closePickerOnFavorites(bool accepted) {
    if (m_picker && m_favorites) {
        const PickerOutcome outcome{accepted, m_picker->GetStation()};
        m_favorites->find(m_picker->servesDeparture(), [&outcome](bool) { return outcome; });
    }
    m_picker.reset();
    return favoritesView();
}

FavoritesView WebSession::favoritesView() {
    FavoritesView shown;
    if (m_favorites) {
        shown.rows = m_favorites->rows();
        shown.checks = m_favorites->checks();
        shown.departure = m_favorites->departureText();
        shown.arrival = m_favorites->arrivalText();
        shown.chosen = m_favorites->GetSelection();
    }
    shown.messages = takeMessages();
    return shown;
}

FavoritesView WebSession::openFavorites() {
    m_favorites = std::make_unique<Favorites>(*m_settings, m_messages);
    m_favorites->start();
    return favoritesView();
}

FavoritesView WebSession::favoritesClick(int row) {
    if (m_favorites) {
        m_favorites->rowClicked(row);
    }
    return favoritesView();
}

FavoritesView WebSession::favoritesCheck(int row, bool checked) {
    if (m_favorites) {
        m_favorites->setChecked(row, checked);
    }
    return favoritesView();
}

FavoritesView WebSession::favoritesAdd(std::u16string_view departure, std::u16string_view arrival) {
    if (m_favorites) {
        m_favorites->add(departure, arrival);
    }
    return favoritesView();
}

FavoritesView WebSession::favoritesDelete() {
    if (m_favorites) {
        m_favorites->remove();
    }
    return favoritesView();
}

MainView WebSession::closeFavorites(bool accepted, std::u16string_view departure,
                                    std::u16string_view arrival, const WebForm& form) {
    if (m_favorites && !m_ended) {
        if (accepted) {
            m_favorites->select(departure, arrival);
        }
        const FavoritesOutcome outcome{accepted, m_favorites->GetSelection()};
        pull(form);
        OpenFavoritesFrom(screen(), *m_settings, [&outcome] { return outcome; });
    }
    m_favorites.reset();
    return view();
}

OptionsView WebSession::openOptions() {
    m_options = std::make_unique<OptionsDialogRules>(*m_settings, m_phone.screen.height);
    m_options->start();
    return {m_options->entries(), m_options->selection()};
}

OptionsView WebSession::optionsSelect(int entry) {
    if (!m_options) {
        return {};
    }
    m_options->select(entry);
    return {m_options->entries(), m_options->selection()};
}

MainView WebSession::closeOptions(bool ok) {
    if (m_options && ok) {
        m_options->accept();
    }
    m_options.reset();
    return view();
}

std::string WebSession::sourceText() const {
    const std::filesystem::path file = m_timetables.baseDirectory() / "TimeData" / "SOURCE.txt";
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr) {
        return {};
    }
    std::string text(kSourceLimit, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in));
    std::fclose(in);
    return text;
}

}  // namespace velomar
