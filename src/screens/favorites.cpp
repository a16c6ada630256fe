#include "screens/favorites.h"

#include <algorithm>
#include <array>
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

// A value that cannot be read counts as an empty text.
std::u16string readTextOrEmpty(SettingsBackend& settings, std::u16string_view name) {
    return ReadStationText(settings, name).value_or(std::u16string());
}

// The whole stored text, however long. Moving a pair down must not cut or blank a text that
// the readers' 20-character room cannot hold; a value that cannot be read moves as "".
std::u16string readWholeText(SettingsBackend& settings, std::u16string_view name) {
    std::size_t size = 0;
    if (auto key = settings.openKey(kSettingsRoot, kSettingsKeyPath,
                                    SettingsBackend::OpenMode::Existing)) {
        const QueryResult found = key->query(name, {});
        if (found.status != QueryStatus::Ok && found.status != QueryStatus::MoreData) {
            return {};
        }
        size = found.size;
    }
    std::u16string room(size / 2 + 1, u'\0');
    if (!ReadTextSetting(settings, kSettingsRoot, kSettingsKeyPath, name, room.data(),
                         room.size())) {
        return {};
    }
    return std::u16string(room.c_str());
}

// "FavoriteCount" as the number operation reads it: 0 when it cannot be read.
std::uint32_t readFavoriteCount(SettingsBackend& settings) {
    std::uint32_t value = 0;
    ReadNumberSetting(settings, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName, &value);
    return value;
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
    std::uint32_t count = 0;
    if (ReadNumberSetting(m_settings, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName,
                          &count)) {
        m_rows.clear();
        if (count != kNoFavoritePairs) {
            const std::uint32_t last = std::min(count, kLastPairIndex);
            for (std::uint32_t i = 0; i <= last; ++i) {
                m_rows.push_back({readTextOrEmpty(m_settings, FavoriteStartName(asIndex(i))),
                                  readTextOrEmpty(m_settings, FavoriteEndName(asIndex(i)))});
            }
        }
    } else {
        writeFavoriteCount(m_settings, kNoFavoritePairs);
    }
    m_checks.assign(m_rows.size(), false);

    if (!m_rows.empty()) {
        const int m = static_cast<int>(m_rows.size()) - 1;
        m_departure = readTextOrEmpty(m_settings, FavoriteStartName(m));
        m_arrival = readTextOrEmpty(m_settings, FavoriteEndName(m));
    } else {
        m_departure = u"서울";
        m_arrival = u"부산";
    }
    transaction.commit();
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
        const std::uint32_t v = readFavoriteCount(m_settings);
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
        const std::uint32_t last = readFavoriteCount(m_settings);
        // Deleting a value that is already gone fails harmlessly; those results are not used.
        DeleteSetting(m_settings, kSettingsRoot, kSettingsKeyPath, FavoriteStartName(c));
        DeleteSetting(m_settings, kSettingsRoot, kSettingsKeyPath, FavoriteEndName(c));
        bool written = true;
        for (int i = c; written && i <= n - 2; ++i) {
            written = writeText(m_settings, FavoriteStartName(i),
                                readWholeText(m_settings, FavoriteStartName(i + 1))) &&
                      writeText(m_settings, FavoriteEndName(i),
                                readWholeText(m_settings, FavoriteEndName(i + 1)));
        }
        DeleteSetting(m_settings, kSettingsRoot, kSettingsKeyPath,
                      FavoriteStartName(asIndex(last)));
        DeleteSetting(m_settings, kSettingsRoot, kSettingsKeyPath, FavoriteEndName(asIndex(last)));
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
