#include "screens/favorites.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "settings/settings_store.h"

namespace velomar {

namespace {

constexpr std::array<DialogItem, 11> kFavoritesItems{{
    {kStaticItemId, ItemClass::Static, u"출발역 :", {3, 6, 25, 11}},
    {favorites_id::kDepartureField, ItemClass::Edit, u"", {29, 3, 35, 14}},
    {favorites_id::kDepartureFind, ItemClass::Button, u"찾기", {67, 3, 23, 14}},
    {kStaticItemId, ItemClass::Static, u"도착역 :", {3, 22, 25, 11}},
    {favorites_id::kArrivalField, ItemClass::Edit, u"", {29, 19, 35, 14}},
    {favorites_id::kArrivalFind, ItemClass::Button, u"찾기", {67, 19, 23, 14}},
    {favorites_id::kAdd, ItemClass::Button, u"추가", {92, 3, 25, 29}},
    {favorites_id::kList, ItemClass::ListView, u"", {3, 36, 114, 105}},
    {favorites_id::kOk, ItemClass::Button, u"선택", {3, 145, 37, 14}},
    {favorites_id::kDelete, ItemClass::Button, u"삭제", {42, 145, 37, 14}},
    {favorites_id::kCancel, ItemClass::Button, u"취소", {81, 145, 37, 14}},
}};

const DialogTemplate kFavoritesDialog{kFavoritesTemplate, 120, 180, kFavoritesCaption, u"굴림", 10,
                                      kFavoritesItems};

// Pairs occupy the indices 0 to this one at most.
constexpr std::uint32_t kLastPairIndex = kMaxFavoritePairs - 1;

// A text the room cannot hold, or that is missing, reads as empty; `text` is set unless the
// store could not answer.
SettingsStatus readTextOrEmpty(SettingsBackend& settings, std::u16string_view name,
                               std::u16string& text) {
    char16_t room[kStationTextCapacity] = {};
    const SettingsStatus status = TryReadTextSetting(settings, kSettingsRoot, kSettingsKeyPath,
                                                     name, room, kStationTextCapacity);
    if (!IsStoreFailure(status)) {
        text = status == SettingsStatus::Ok ? std::u16string(room) : std::u16string();
    }
    return status;
}

// The whole stored text, however long. Moving a pair down must not cut or blank a text that
// the readers' 20-character room cannot hold; a missing value moves as "". Nothing when the
// store could not answer: moving a blank in its place would lose the pair.
std::optional<std::u16string> readWholeText(SettingsBackend& settings, std::u16string_view name) {
    std::size_t size = 0;
    settings.clearFailure();
    if (auto key = settings.openKey(kSettingsRoot, kSettingsKeyPath,
                                    SettingsBackend::OpenMode::Existing)) {
        const QueryResult found = key->query(name, {});
        if (found.status == QueryStatus::Failed) {
            return std::nullopt;
        }
        if (found.status == QueryStatus::NotFound) {
            return std::u16string();
        }
        size = found.size;
    } else if (IsStoreFailure(settings.failure())) {
        return std::nullopt;
    }
    std::u16string room(size / 2 + 1, u'\0');
    const SettingsStatus status = TryReadTextSetting(settings, kSettingsRoot, kSettingsKeyPath,
                                                     name, room.data(), room.size());
    if (IsStoreFailure(status)) {
        return std::nullopt;
    }
    return status == SettingsStatus::Ok ? std::u16string(room.c_str()) : std::u16string();
}

// "FavoriteCount" as the number operation reads it: 0 when it is missing or not a number.
SettingsStatus readFavoriteCount(SettingsBackend& settings, std::uint32_t& value) {
    value = 0;
    return TryReadNumberSetting(settings, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName,
                                &value);
}

// A delete of a value already gone is harmless; one the store could not do fails the change.
bool deleteValue(SettingsBackend& settings, std::u16string_view name) {
    return !IsStoreFailure(TryDeleteSetting(settings, kSettingsRoot, kSettingsKeyPath, name));
}

bool writeFavoriteCount(SettingsBackend& settings, std::uint32_t value) {
    return WriteNumberSetting(settings, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName, value);
}

bool writeText(SettingsBackend& settings, std::u16string_view name, std::u16string_view text) {
    return WriteTextSetting(settings, kSettingsRoot, kSettingsKeyPath, name, text);
}

// The stored count is unsigned; a stray value formats as the registry's %d would.
int asIndex(std::uint32_t value) {
    return static_cast<int>(value);
}

}  // namespace

const DialogTemplate& FavoritesTemplate() {
    return kFavoritesDialog;
}

FavoriteColumns FavoriteColumnWidths(int screenWidth) {
    if (screenWidth < 320) {
        return {100, 100};
    }
    if (screenWidth < 480) {
        return {140, 141};
    }
    return {200, 200};
}

Favorites::Favorites(SettingsBackend& settings, MessageSink& messages)
    : m_settings(settings), m_messages(messages) {}

void Favorites::start() {
    // Read-then-write of the count: one transaction, so a second program sees all or nothing.
    SettingsTransaction transaction(m_settings);
    m_rows.clear();
    std::uint32_t count = 0;
    SettingsStatus read = transaction.beginStatus();
    if (read == SettingsStatus::Ok) {
        read = readFavoriteCount(m_settings, count);
    }
    if (read == SettingsStatus::Ok) {
        read = loadRows(count);
    } else if (!IsStoreFailure(read)) {
        writeFavoriteCount(m_settings, kNoFavoritePairs);
    }
    // A store that cannot answer is not an empty one: nothing is written, and the rows are
    // read again before the first change.
    m_rowsKnown = !IsStoreFailure(read);
    if (!m_rowsKnown) {
        m_rows.clear();
    }
    m_checks.assign(m_rows.size(), false);

    m_departure = u"서울";
    m_arrival = u"부산";
    if (!m_rows.empty()) {
        const int m = static_cast<int>(m_rows.size()) - 1;
        readTextOrEmpty(m_settings, FavoriteStartName(m), m_departure);
        readTextOrEmpty(m_settings, FavoriteEndName(m), m_arrival);
    }
    transaction.commit();
}

SettingsStatus Favorites::loadRows(std::uint32_t count) {
    m_rows.clear();
    if (count == kNoFavoritePairs) {
        return SettingsStatus::Ok;
    }
    const std::uint32_t last = std::min(count, kLastPairIndex);
    for (std::uint32_t i = 0; i <= last; ++i) {
        FavoritePair pair;
        for (const auto& [name, text] : {std::pair{FavoriteStartName(asIndex(i)), &pair.departure},
                                         std::pair{FavoriteEndName(asIndex(i)), &pair.arrival}}) {
            if (const SettingsStatus status = readTextOrEmpty(m_settings, name, *text);
                IsStoreFailure(status)) {
                return status;
            }
        }
        m_rows.push_back(std::move(pair));
    }
    return SettingsStatus::Ok;
}

bool Favorites::reloadRows(std::uint32_t count, SettingsStatus countRead) {
    if (countRead == SettingsStatus::Ok) {
        if (IsStoreFailure(loadRows(count))) {
            m_rows.clear();
            return false;
        }
    } else {
        m_rows.clear();
    }
    m_rowsKnown = true;
    m_checks.assign(m_rows.size(), false);
    return true;
}

void Favorites::setChecked(int row, bool checked) {
    if (row >= 0 && row < static_cast<int>(m_checks.size())) {
        m_checks[static_cast<std::size_t>(row)] = checked;
    }
}

void Favorites::rowClicked(int row) {
    const bool onRow = row >= 0 && row < static_cast<int>(m_rows.size());
    m_chosen = onRow ? row : kNoFavoriteChosen;
    if (!onRow) {
        return;
    }
    const FavoritePair& pair = m_rows[static_cast<std::size_t>(row)];
    if (pair.departure.empty() || pair.arrival.empty()) {
        return;
    }
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        if (static_cast<int>(i) != row) {
            m_checks[i] = false;
        }
    }
}

FavoriteAddOutcome Favorites::add(std::u16string_view departureField,
                                  std::u16string_view arrivalField) {
    m_departure = departureField;
    m_arrival = arrivalField;

    std::uint32_t k = 0;
    FavoriteAddOutcome outcome = FavoriteAddOutcome::Added;
    {
        SettingsTransaction transaction(m_settings);
        if (!transaction.active()) {
            return FavoriteAddOutcome::StoreFailed;
        }
        std::uint32_t v = 0;
        const SettingsStatus countRead = readFavoriteCount(m_settings, v);
        if (IsStoreFailure(countRead) || (!m_rowsKnown && !reloadRows(v, countRead))) {
            return FavoriteAddOutcome::StoreFailed;
        }
        if (v == kNoFavoritePairs) {
            k = 0;
        } else if (v == kLastPairIndex) {
            outcome = FavoriteAddOutcome::Full;
        } else if (v < kLastPairIndex) {
            k = v + 1;
        } else {
            outcome = FavoriteAddOutcome::Refused;
        }
        if (outcome == FavoriteAddOutcome::Added) {
            const bool written =
                writeText(m_settings, FavoriteStartName(asIndex(k)), m_departure) &&
                writeText(m_settings, FavoriteEndName(asIndex(k)), m_arrival) &&
                writeFavoriteCount(m_settings, k);
            if (!written || !transaction.commit()) {
                return FavoriteAddOutcome::StoreFailed;
            }
        }
        // Otherwise the transaction rolls back here: nothing was written.
    }
    if (outcome == FavoriteAddOutcome::Full) {
        // Shown after the store is released: the box waits for the user.
        m_messages.showMessage(kFavoritesFullMessage, kInfoCaption);
    }
    if (outcome != FavoriteAddOutcome::Added) {
        return outcome;
    }

    // The list control puts a row asked for past its end at the end.
    const std::size_t at = std::min<std::size_t>(k, m_rows.size());
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), {m_departure, m_arrival});
    m_checks.insert(m_checks.begin() + static_cast<std::ptrdiff_t>(at), false);
    return FavoriteAddOutcome::Added;
}

FavoriteDeleteOutcome Favorites::remove() {
    const int n = static_cast<int>(m_rows.size());
    const int c = m_chosen;
    if (c < 0 || c >= n) {
        return FavoriteDeleteOutcome::NoRow;
    }
    {
        SettingsTransaction transaction(m_settings);
        if (!transaction.active()) {
            return FavoriteDeleteOutcome::StoreFailed;
        }
        std::uint32_t last = 0;
        bool written = !IsStoreFailure(readFavoriteCount(m_settings, last)) &&
                       deleteValue(m_settings, FavoriteStartName(c)) &&
                       deleteValue(m_settings, FavoriteEndName(c));
        for (int i = c; written && i <= n - 2; ++i) {
            const auto start = readWholeText(m_settings, FavoriteStartName(i + 1));
            const auto end = readWholeText(m_settings, FavoriteEndName(i + 1));
            written = start && end && writeText(m_settings, FavoriteStartName(i), *start) &&
                      writeText(m_settings, FavoriteEndName(i), *end);
        }
        written = written && deleteValue(m_settings, FavoriteStartName(asIndex(last))) &&
                  deleteValue(m_settings, FavoriteEndName(asIndex(last)));
        const std::uint32_t newCount = n - 1 == 0 ? kNoFavoritePairs : last - 1;
        written = written && writeFavoriteCount(m_settings, newCount);
        if (!written || !transaction.commit()) {
            return FavoriteDeleteOutcome::StoreFailed;
        }
    }
    m_rows.erase(m_rows.begin() + c);
    m_checks.erase(m_checks.begin() + c);
    // The chosen index stays: it now names the row that moved up, so "삭제" again removes it.
    return FavoriteDeleteOutcome::Deleted;
}

bool Favorites::find(bool departure, const PickerRunner& runPicker) {
    return RunStationPicker(m_departure, m_arrival, departure, runPicker);
}

void Favorites::select(std::u16string_view departureField, std::u16string_view arrivalField) {
    m_departure = departureField;
    m_arrival = arrivalField;
}

bool RunFavoritesFlow(SettingsBackend& settings, std::u16string& startStation,
                      std::u16string& endStation, const FavoritesRunner& runDialog) {
    if (!runDialog) {
        return false;
    }
    const FavoritesOutcome outcome = runDialog();
    // Only chosen rows (0..9) or 100 come back; index 10 is accepted as well and reads
    // values that are never written, which keeps the held texts.
    if (!outcome.accepted || outcome.selection < 0 || outcome.selection > 10) {
        return false;
    }
    if (auto text = ReadStationText(settings, FavoriteStartName(outcome.selection))) {
        startStation = std::move(*text);
    }
    if (auto text = ReadStationText(settings, FavoriteEndName(outcome.selection))) {
        endStation = std::move(*text);
    }
    return true;
}

}  // namespace velomar
