#include "screens/main_screen.h"

#include "search/search.h"
#include "settings/settings_store.h"

namespace velomar {

namespace {

constexpr std::u16string_view kDefaultStart = u"서울";
constexpr std::u16string_view kDefaultEnd = u"대전";
constexpr unsigned kSquarePageSize = 9;

// "ResultCount" for the coming search: 0 when missing or not a number; the page size held
// for this run when the store cannot answer (it holds the restored or built-in one).
std::uint32_t readStoredPageSize(SettingsBackend& store, std::uint32_t held) {
    std::uint32_t stored = kFallbackPageSize;
    const SettingsStatus status =
        TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &stored);
    if (IsStoreFailure(status)) {
        return held;
    }
    return status == SettingsStatus::Ok ? stored : kFallbackPageSize;
}

// A station text in the readers' 20-character room; `text` keeps its value unless Ok.
SettingsStatus readStation(SettingsBackend& store, std::u16string_view name, std::u16string& text) {
    char16_t room[kStationTextCapacity] = {};
    const SettingsStatus status = TryReadTextSetting(store, kSettingsRoot, kSettingsKeyPath, name,
                                                     room, kStationTextCapacity);
    if (status == SettingsStatus::Ok) {
        text = room;
    }
    return status;
}

SettingsStatus writeStation(SettingsBackend& store, std::u16string_view name,
                            std::u16string_view text) {
    return TryWriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, text);
}

// The first start's marker and page size, unless the marker is there: written with the pair
// when start-up could not store them, so that a pair is never stored without the marker
// (the next start would take the store for new and overwrite the pair).
SettingsStatus completeFirstStart(SettingsBackend& store, std::uint32_t pageSize) {
    std::uint32_t marker = 0;
    const SettingsStatus read =
        TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName, &marker);
    if (IsStoreFailure(read) || (read == SettingsStatus::Ok && marker == kFirstRunMarker)) {
        return read;
    }
    const SettingsStatus written = TryWriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath,
                                                         kFirstRunMarkerName, kFirstRunMarker);
    return written != SettingsStatus::Ok
               ? written
               : TryWriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName,
                                       pageSize);
}

// The pair is stored as one change: another program never sees half of it, and one commit
// costs one flush to disk instead of two. When any step fails nothing of it is stored.
SettingsStatus storeStationPair(SettingsBackend& store, const SearchQuery& query,
                                bool startUpStored) {
    SettingsTransaction transaction(store);
    if (!transaction.active()) {
        return transaction.beginStatus();
    }
    SettingsStatus status =
        startUpStored ? SettingsStatus::Ok : completeFirstStart(store, query.pageSize);
    if (status == SettingsStatus::Ok) {
        status = writeStation(store, kStartStationName, query.startStation);
    }
    if (status == SettingsStatus::Ok) {
        status = writeStation(store, kEndStationName, query.endStation);
    }
    return status == SettingsStatus::Ok ? transaction.tryCommit() : status;
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
    WriteForm();
    m_currentFile.reset();
    m_page.anyFound = false;

    const LocalTime now = m_services.clock.now();
    m_form.typeSelection = 0;
    m_form.hourSelection = now.hour;
    m_form.minuteSelection = 0;
    // Only the period is read here; each search reads the dates of its own sheets.
    const std::vector<RouteCode> noSheets;
    m_date.setDates(LoadServiceDates(m_services.timetables, &noSheets));

    m_pairStore = SettingsStatus::Ok;
    m_restore = restoreSettings();
    WriteForm();
}

unsigned MainScreen::defaultPageSize() const {
    return m_layout == Layout::Portrait ? DefaultPortraitPageSize(m_services.screen.height)
                                        : kSquarePageSize;
}

SettingsRestore MainScreen::restoreSettings() {
    SettingsBackend& store = m_services.settings;
    // Reads then writes: one transaction, so what start-up stores is stored whole or not at
    // all. A store that cannot answer is not a first start: nothing is written then, and the
    // built-in pair and page size hold for this run.
    SettingsTransaction transaction(store);
    SettingsStatus read = transaction.beginStatus();
    std::uint32_t marker = 0;
    if (read == SettingsStatus::Ok) {
        read = TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName,
                                    &marker);
    }
    if (IsStoreFailure(read)) {
        return useBuiltIn(read);
    }
    // Only a marker that is missing, or holds another value, means a first start.
    const bool initialised = read == SettingsStatus::Ok && marker == kFirstRunMarker;
    std::uint32_t pageSize = 0;
    const SettingsRestore restore =
        initialised ? restoreStored(pageSize) : storeFirstStart(pageSize);
    if (IsStoreFailure(restore.read)) {
        return useBuiltIn(restore.read);
    }
    m_query.pageSize = pageSize != 0 ? pageSize : defaultPageSize();
    if (!restore.ok()) {
        return restore;
    }
    if (pageSize == 0) {
        const SettingsStatus written = TryWriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath,
                                                             kResultCountName, m_query.pageSize);
        if (written != SettingsStatus::Ok) {
            return {SettingsStatus::Ok, written};
        }
    }
    return {SettingsStatus::Ok, transaction.tryCommit()};
}

SettingsRestore MainScreen::useBuiltIn(SettingsStatus read) {
    m_query.startStation = kDefaultStart;
    m_query.endStation = kDefaultEnd;
    m_query.pageSize = defaultPageSize();
    return {read, SettingsStatus::Ok};
}

SettingsRestore MainScreen::restoreStored(std::uint32_t& pageSize) {
    SettingsBackend& store = m_services.settings;
    std::u16string start = m_query.startStation;
    std::u16string end = m_query.endStation;
    SettingsStatus read = readStation(store, kStartStationName, start);
    if (!IsStoreFailure(read)) {
        read = readStation(store, kEndStationName, end);
    }
    if (IsStoreFailure(read)) {
        return {read, SettingsStatus::Ok};
    }
    m_query.startStation = std::move(start);
    m_query.endStation = std::move(end);
    SettingsStatus written = writeStation(store, kStartStationName, m_query.startStation);
    if (written == SettingsStatus::Ok) {
        written = writeStation(store, kEndStationName, m_query.endStation);
    }
    if (written != SettingsStatus::Ok) {
        return {SettingsStatus::Ok, written};
    }
    read =
        TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &pageSize);
    return {IsStoreFailure(read) ? read : SettingsStatus::Ok, SettingsStatus::Ok};
}

SettingsRestore MainScreen::storeFirstStart(std::uint32_t& pageSize) {
    SettingsBackend& store = m_services.settings;
    pageSize = 0;
    m_query.startStation = kDefaultStart;
    m_query.endStation = kDefaultEnd;
    SettingsStatus written = TryWriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath,
                                                   kFirstRunMarkerName, kFirstRunMarker);
    if (written == SettingsStatus::Ok) {
        written = writeStation(store, kStartStationName, kDefaultStart);
    }
    if (written == SettingsStatus::Ok) {
        written = writeStation(store, kEndStationName, kDefaultEnd);
    }
    return {SettingsStatus::Ok, written};
}

void MainScreen::search() {
    m_query.after.reset();
    runSearch();
}

void MainScreen::runSearch() {
    if (beforeSearch) {
        beforeSearch();
    }
    ReadForm();
    m_query.serviceDay = m_date.day(m_services.clock.today());
    m_query.typeIndex = m_form.typeSelection;
    m_query.hourIndex = m_form.hourSelection;
    m_query.minuteIndex = m_form.minuteSelection;
    m_query.storedPageSize = readStoredPageSize(m_services.settings, m_query.pageSize);
    const SearchServices services{m_services.timetables, m_services.grid, m_services.messages};
    const SearchEnd end =
        RunSearch(m_query, m_page, m_list, m_currentFile, services,
                  m_layout == Layout::Portrait ? NoRouteRule::ClearListAndEnd : NoRouteRule::GoOn);
    if (end == SearchEnd::Finished) {
        const SettingsStatus stored =
            storeStationPair(m_services.settings, m_query, m_restore.ok());
        if (m_pairStore == SettingsStatus::Ok) {
            m_pairStore = stored;
        }
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
    if (outcome.minuteEntry >= 0) {
        m_form.minuteSelection = outcome.minuteEntry;
    }
    m_query.after = outcome.after;
    runSearch();
}

void MainScreen::prev() {
    turnPage(PrevPage(m_page));
}

void MainScreen::next() {
    turnPage(NextPage(m_page, m_query.pageSize, m_query.after));
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
