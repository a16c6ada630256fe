#include "import/train_table.h"

#include <algorithm>

#include "import/trip_index.h"

namespace velomar {

namespace {

std::uint64_t HashOf(const ImportTrain& train) {
    std::string bytes(reinterpret_cast<const char*>(train.number.data()),
                      train.number.size() * sizeof(char16_t));
    for (const int value : {train.type, train.hint.value(), train.hintColumn}) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    bytes.append(reinterpret_cast<const char*>(train.calls.data()),
                 train.calls.size() * sizeof(TrainCall));
    return TripIdIndex::DefaultHash(bytes);
}

bool SameTrain(const ImportTrain& a, const ImportTrain& b) {
    return a.type == b.type && a.number == b.number && a.hint == b.hint &&
           a.hintColumn == b.hintColumn && a.calls == b.calls;
}

}  // namespace

std::u16string NumberCell(std::uint16_t number) {
    std::u16string cell = u"0000";
    for (int i = 3; i >= 0; --i, number = static_cast<std::uint16_t>(number / 10)) {
        cell[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + number % 10);
    }
    return cell;
}

int TrainTable::add(const TrainKey& key, std::vector<TrainCall> calls, int daySet) {
    ImportTrain probe;
    probe.number = NumberCell(key.number);
    probe.type = key.type;
    probe.calls = std::move(calls);
    probe.hint = key.hint;
    probe.hintColumn = key.hintColumn;
    const std::uint64_t hash = HashOf(probe);
    const auto [from, to] = m_byHash.equal_range(hash);
    int train = -1;
    for (auto it = from; it != to && train < 0; ++it) {
        if (SameTrain(m_trains[static_cast<std::size_t>(it->second)], probe)) {
            train = it->second;
        }
    }
    if (train < 0) {
        train = static_cast<int>(m_trains.size());
        m_trains.push_back(std::move(probe));
        m_tripSets.emplace_back();
        m_byHash.emplace(hash, train);
    }
    ++m_trains[static_cast<std::size_t>(train)].trips;
    m_tripSets[static_cast<std::size_t>(train)].push_back(daySet);
    return train;
}

void TrainTable::remove(int train, int daySet) {
    ImportTrain& removed = m_trains[static_cast<std::size_t>(train)];
    std::vector<int>& sets = m_tripSets[static_cast<std::size_t>(train)];
    sets.erase(std::find(sets.begin(), sets.end(), daySet));
    if (--removed.trips > 0) {
        return;
    }
    // Nothing is left of it: a trip with these calls makes a new train.
    const auto [from, to] = m_byHash.equal_range(HashOf(removed));
    for (auto it = from; it != to; ++it) {
        if (it->second == train) {
            m_byHash.erase(it);
            break;
        }
    }
    removed.calls = {};
    sets = {};
}

std::vector<ImportTrain> TrainTable::finish(const std::vector<DaySet>& sets, int periodDays) {
    std::vector<ImportTrain> out;
    for (std::size_t t = 0; t < m_trains.size(); ++t) {
        if (m_trains[t].trips == 0) {
            continue;
        }
        ImportTrain& train = m_trains[t];
        train.days = DaySet(periodDays);
        for (const int set : m_tripSets[t]) {
            train.days.unite(sets[static_cast<std::size_t>(set)]);
        }
        out.push_back(std::move(train));
    }
    m_trains.clear();
    m_tripSets.clear();
    m_byHash.clear();
    return out;
}

}  // namespace velomar
