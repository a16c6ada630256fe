#include "import/placement.h"

#include "import/column_order.h"

#include <algorithm>
#include <bitset>
#include <map>
#include <numeric>

namespace velomar {

namespace {

// Calls beyond this many network stations (no real train has them) are not placed.
constexpr std::size_t kMaxCalls = 256;
using CallSet = std::bitset<kMaxCalls>;

int RouteOf(int file) {
    return file % kRouteCount;
}
bool IsDown(int file) {
    return file >= kRouteCount;
}

struct Candidate {
    int file;
    CallSet chain;
};

// Routes from this index on join lines end to end (경부경전, 호남경전전라, ...).
constexpr int kFirstThroughRoute = 18;

std::pair<bool, std::size_t> TieOrder(const Candidate& candidate) {
    const int route = RouteOf(candidate.file);
    return {route >= kFirstThroughRoute, SlotsOfRoute(route).slots.size()};
}

// The longest run of calls whose places on the route rise (a Down file) or fall (Up).
CallSet Chain(const std::vector<TrainCall>& calls, int file) {
    const RouteSlots& route = SlotsOfRoute(RouteOf(file));
    const std::size_t n = std::min(calls.size(), kMaxCalls);
    std::vector<int> place(n, -1);
    std::vector<int> length(n, 0);
    std::vector<int> previous(n, -1);
    int best = -1;
    for (std::size_t i = 0; i < n; ++i) {
        place[i] = route.slotOf[static_cast<std::size_t>(calls[i].station)];
        if (place[i] < 0) {
            continue;
        }
        if (!IsDown(file)) {
            place[i] = -place[i] - 2;  // falling places as rising ones; still below -1
        }
        length[i] = 1;
        for (std::size_t j = 0; j < i; ++j) {
            if (length[j] > 0 && place[j] < place[i] && length[j] + 1 > length[i]) {
                length[i] = length[j] + 1;
                previous[i] = static_cast<int>(j);
            }
        }
        if (best < 0 || length[i] > length[static_cast<std::size_t>(best)]) {
            best = static_cast<int>(i);
        }
    }
    CallSet chain;
    for (int i = best; i >= 0; i = previous[static_cast<std::size_t>(i)]) {
        chain.set(static_cast<std::size_t>(i));
    }
    return chain;
}

// Pairs (i, j), i < j, as one set of later calls per call.
using PairSets = std::vector<CallSet>;

PairSets PairsOf(const CallSet& calls, std::size_t n) {
    PairSets pairs(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (calls.test(i)) {
            pairs[i] = calls;
            for (std::size_t j = 0; j <= i; ++j) {
                pairs[i].reset(j);
            }
        }
    }
    return pairs;
}

std::size_t CountPairs(const PairSets& open, const CallSet& chain) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < open.size(); ++i) {
        if (chain.test(i)) {
            count += (open[i] & chain).count();
        }
    }
    return count;
}

void Serve(PairSets& open, const CallSet& chain) {
    for (std::size_t i = 0; i < open.size(); ++i) {
        if (chain.test(i)) {
            open[i] &= ~chain;
        }
    }
}

bool AnyPair(const PairSets& pairs) {
    return std::any_of(pairs.begin(), pairs.end(), [](const CallSet& s) { return s.any(); });
}

struct FileState {
    std::vector<FileColumn> columns;
    std::map<std::u16string, int> numbers;
    std::size_t hinted = 0;  // the first columns, in the order the export gave them
};

class Placer {
  public:
    explicit Placer(const std::vector<ImportTrain>& trains) : m_trains(trains) {
        m_result.skipped.assign(trains.size(), -1);
    }

    Placement run() {
        std::vector<int> general;
        placeHinted(general);
        std::stable_sort(general.begin(), general.end(),
                         [&](int a, int b) { return priority(a) < priority(b); });
        for (int train : general) {
            placeGeneral(train);
        }
        for (int file = 0; file < kFileCount; ++file) {
            FileState& state = m_files[static_cast<std::size_t>(file)];
            SortColumns(file, m_trains, state.columns, state.hinted);
            m_result.files[static_cast<std::size_t>(file)] = std::move(state.columns);
        }
        return std::move(m_result);
    }

  private:
    std::tuple<int, int, int, std::u16string> priority(int t) const {
        const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
        return {-CountDays(train.days), -static_cast<int>(train.calls.size()),
                train.calls.front().departure, train.number};
    }

    // Trains of Velomar's own export go back to their file, in their column order.
    void placeHinted(std::vector<int>& general) {
        std::vector<int> hinted;
        for (int t = 0; t < static_cast<int>(m_trains.size()); ++t) {
            const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
            (train.hintFile >= 0 && FitsFileWhole(train, train.hintFile) ? hinted : general)
                .push_back(t);
        }
        std::stable_sort(hinted.begin(), hinted.end(), [&](int a, int b) {
            const ImportTrain& x = m_trains[static_cast<std::size_t>(a)];
            const ImportTrain& y = m_trains[static_cast<std::size_t>(b)];
            return std::pair(x.hintFile, x.hintColumn) < std::pair(y.hintFile, y.hintColumn);
        });
        for (int t : hinted) {
            const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
            FileState& file = m_files[static_cast<std::size_t>(train.hintFile)];
            if (file.columns.size() >= kFileCapacity || file.numbers.contains(train.number)) {
                general.push_back(t);
                continue;
            }
            std::vector<int> calls(train.calls.size());
            std::iota(calls.begin(), calls.end(), 0);
            add(train.hintFile, t, std::move(calls));
            ++file.hinted;
        }
    }

    bool hasRoom(int file, const ImportTrain& train) const {
        const FileState& state = m_files[static_cast<std::size_t>(file)];
        return state.columns.size() < kFileCapacity && !state.numbers.contains(train.number);
    }

    void placeGeneral(int t) {
        const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
        const std::size_t n = std::min(train.calls.size(), kMaxCalls);
        std::vector<Candidate> candidates;
        CallSet anyChain;
        PairSets servable(n);
        for (int file = 0; file < kFileCount; ++file) {
            const CallSet chain = Chain(train.calls, file);
            if (chain.count() >= 2) {
                candidates.push_back({file, chain});
                const PairSets pairs = PairsOf(chain, n);
                for (std::size_t i = 0; i < n; ++i) {
                    servable[i] |= pairs[i];
                }
            }
        }
        // On a tie a line takes the train before a through route, and the line that fits it
        // closest (fewest stations) first: a KTX that stops only where the conventional line
        // does still belongs to the KTX line.
        std::stable_sort(
            candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return TieOrder(a) < TieOrder(b); });
        PairSets open = servable;
        std::vector<const Candidate*> chosen;
        for (;;) {
            const Candidate* best = nullptr;
            std::size_t bestGain = 0;
            for (const Candidate& candidate : candidates) {
                const std::size_t gain = CountPairs(open, candidate.chain);
                if (gain > bestGain && hasRoom(candidate.file, train)) {
                    best = &candidate;
                    bestGain = gain;
                }
            }
            if (best == nullptr) {
                break;
            }
            Serve(open, best->chain);
            chosen.push_back(best);
        }
        if (AnyPair(open)) {
            refuse(t, candidates, open);
            return;
        }
        if (HasUnservedPairs(train, n, servable)) {
            ++m_result.trainsWithUnservedPairs;
        }
        for (const Candidate* candidate : chosen) {
            std::vector<int> calls;
            for (std::size_t i = 0; i < n; ++i) {
                if (candidate->chain.test(i)) {
                    calls.push_back(static_cast<int>(i));
                }
            }
            add(candidate->file, t, std::move(calls));
        }
    }

    // Left out whole: a partly findable train would look like a complete one.
    void refuse(int t, const std::vector<Candidate>& candidates, const PairSets& open) {
        const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
        bool full = false;
        for (const Candidate& candidate : candidates) {
            if (CountPairs(open, candidate.chain) > 0 && !hasRoom(candidate.file, train)) {
                const bool isFull =
                    m_files[static_cast<std::size_t>(candidate.file)].columns.size() >=
                    kFileCapacity;
                full = full || isFull;
                m_result.refused[static_cast<std::size_t>(candidate.file)] =
                    m_result.refused[static_cast<std::size_t>(candidate.file)] || isFull;
            }
        }
        m_result.skipped[static_cast<std::size_t>(t)] =
            static_cast<int>(full ? SkipReason::FileFull : SkipReason::NumberTaken);
    }

    // Pairs that share a route but that no single file can hold both calls of.
    static bool HasUnservedPairs(const ImportTrain& train, std::size_t n,
                                 const PairSets& servable) {
        for (int route = 0; route < kRouteCount; ++route) {
            CallSet on;
            for (std::size_t i = 0; i < n; ++i) {
                if (SlotsOfRoute(route).slotOf[static_cast<std::size_t>(train.calls[i].station)] >=
                    0) {
                    on.set(i);
                }
            }
            const PairSets pairs = PairsOf(on, n);
            for (std::size_t i = 0; i < n; ++i) {
                if ((pairs[i] & ~servable[i]).any()) {
                    return true;
                }
            }
        }
        return false;
    }

    void add(int file, int train, std::vector<int> calls) {
        FileState& state = m_files[static_cast<std::size_t>(file)];
        state.numbers.emplace(m_trains[static_cast<std::size_t>(train)].number, train);
        state.columns.push_back({train, std::move(calls)});
    }

    const std::vector<ImportTrain>& m_trains;
    std::array<FileState, kFileCount> m_files;
    Placement m_result;
};

}  // namespace

bool FitsFileWhole(const ImportTrain& train, int file) {
    if (file < 0 || file >= kFileCount || train.calls.size() > kMaxCalls) {
        return false;
    }
    return Chain(train.calls, file).count() == train.calls.size();
}

Placement PlaceTrains(const std::vector<ImportTrain>& trains) {
    return Placer(trains).run();
}

}  // namespace velomar
