#include "screens/main_screen.h"

#include "search/search.h"
#include "settings/settings_store.h"

namespace velomar {

namespace {

constexpr std::u16string_view kDefaultStart = u"서울";
constexpr std::u16string_view kDefaultEnd = u"대전";
constexpr unsigned kSquarePageSize = 9;

// "ResultCount" for the coming search; kFallbackPageSize when the store cannot be read.
std::uint32_t readStoredPageSize(SettingsBackend& store) {
    std::uint32_t stored = kFallbackPageSize;
    ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &stored);
    return stored;
}

// The pair is stored as one change: another program never sees half of it, and one commit
// costs one flush to disk instead of two.
void storeStationPair(SettingsBackend& store, const SearchQuery& query) {
    SettingsTransaction transaction(store);
    WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, kStartStationName, query.startStation);
    WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, kEndStationName, query.endStation);
    transaction.commit();
}

}  // namespace

std::array<StartUpStep, 2> StartUpOrder(Layout layout) {
    if (layout == Layout::Square) {
        return {StartUpStep::ColumnsAndTiles, StartUpStep::RestoreSettings};
    }
    return {StartUpStep::RestoreSettings, StartUpStep::ColumnsAndTiles};
}

unsigned DefaultPortraitPageSize(int screenHeight) {
    return screenHeight < 400 ? 9 : 14;
}

MainScreen::MainScreen(Layout layout, MainScreenServices services, ResultListView& list)
    : m_layout(layout),
      m_services(services),
      m_list(list),
      m_page(layout == Layout::Portrait ? kPortraitCapacity : kSquareCapacity) {
    m_query.startStation = kDefaultStart;
    m_query.endStation = kDefaultEnd;
}

int MainScreen::rowCapacity() const {
    return static_cast<int>(m_page.capacity);
}

LayoutAction MainScreen::chooseLayout() {
    return ChooseLayout(m_services.screen, m_services.squareDialogShown);
}

void MainScreen::startUp() {
    SettingsBackend& store = m_services.settings;
    // Reads then writes: one transaction, so a first start is stored whole or not at all.
    SettingsTransaction transaction(store);
    WriteForm();
    m_currentFile.reset();
    m_page.anyFound = false;

    const LocalTime now = m_services.clock.now();
    m_form.typeSelection = 0;
    m_form.hourSelection = now.hour;
    m_form.minuteSelection = 0;

    std::uint32_t marker = 0;
    const bool initialised =
        ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName, &marker) &&
        marker == kFirstRunMarker;

    std::uint32_t pageSize = 0;
    if (initialised) {
        if (auto text = ReadStationText(store, kStartStationName)) {
            m_query.startStation = std::move(*text);
        }
        if (auto text = ReadStationText(store, kEndStationName)) {
            m_query.endStation = std::move(*text);
        }
        WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                         m_query.startStation);
        WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, kEndStationName,
                         m_query.endStation);
        ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &pageSize);
    } else {
        WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName,
                           kFirstRunMarker);
        WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, kStartStationName, kDefaultStart);
        WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, kEndStationName, kDefaultEnd);
    }
    if (pageSize == 0) {
        pageSize = m_layout == Layout::Portrait ? DefaultPortraitPageSize(m_services.screen.height)
                                                : kSquarePageSize;
        WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, pageSize);
    }
    transaction.commit();
    m_query.pageSize = pageSize;
    WriteForm();
}

void MainScreen::search() {
    if (beforeSearch) {
        beforeSearch();
    }
    ReadForm();
    m_query.typeIndex = m_form.typeSelection;
    m_query.hourIndex = m_form.hourSelection;
    m_query.minuteIndex = m_form.minuteSelection;
    m_query.storedPageSize = readStoredPageSize(m_services.settings);
    const SearchServices services{m_services.timetables, m_services.grid, m_services.messages};
    const SearchEnd end =
        RunSearch(m_query, m_page, m_list, m_currentFile, services,
                  m_layout == Layout::Portrait ? NoRouteRule::ClearListAndEnd : NoRouteRule::GoOn);
    if (end == SearchEnd::Finished) {
        storeStationPair(m_services.settings, m_query);
    }
}

void MainScreen::turnPage(const PagingOutcome& outcome) {
    switch (outcome.kind) {
        case PagingOutcome::Kind::Nothing:
            return;
        case PagingOutcome::Kind::SelectHourAndSearch:
            m_form.hourSelection = outcome.hour;
            break;
        case PagingOutcome::Kind::SearchAgain:
            break;
    }
    search();
}

void MainScreen::prev() {
    turnPage(PrevPage(m_page));
}

void MainScreen::next() {
    turnPage(NextPage(m_page, m_query.pageSize));
}

void MainScreen::focusReset() {
    if (m_layout != Layout::Portrait) {
        return;
    }
    m_form.typeSelection = 0;
    m_form.hourSelection = m_services.clock.now().hour;
}

std::optional<StopList> MainScreen::trainDetail(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_page.capacity) {
        return std::nullopt;
    }
    const ResultSlot& slot = m_page[static_cast<std::size_t>(row)];
    if (slot.trainNo.empty()) {
        return std::nullopt;
    }
    ReadForm();
    const TrainDetailServices services{m_services.timetables, m_services.grid, m_services.messages};
    // Copies: the detail reload must not read a slot it could outlive.
    const std::u16string trainNo = slot.trainNo;
    TrainDetailResult result = ShowTrainDetail(trainNo, slot.routeCode, m_query.startStation,
                                               m_query.endStation, m_currentFile, services);
    if (result.status != TrainDetailStatus::Stops) {
        return std::nullopt;
    }
    return std::move(result.stops);
}

void MainScreen::ReadForm() {
    m_query.startStation = m_form.departureField;
    m_query.endStation = m_form.arrivalField;
}

void MainScreen::WriteForm() {
    m_form.departureField = m_query.startStation;
    m_form.arrivalField = m_query.endStation;
}

}  // namespace velomar
