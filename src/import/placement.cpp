#include "import/placement.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_set>

#include "import/call_chains.h"
#include "import/column_order.h"
#include "import/network_model.h"
#include "import/trip_reader.h"

namespace velomar {

namespace {

// Routes from this index on join lines end to end (경부경전, 호남경전전라, ...).
constexpr int kFirstThroughRoute = 18;

struct Candidate {
    RouteCode file;  // the route direction, by its first sheet
    CallSet chain;
};

std::pair<bool, std::size_t> TieOrder(const Candidate& candidate) {
    const int route = candidate.file.route();
    return {route >= kFirstThroughRoute, SlotsOfRoute(route).slots.size()};
}

struct SheetState {
    std::vector<FileColumn> columns;
    std::unordered_set<std::u16string> numbers;
    std::size_t hinted = 0;  // the first columns, in the order the export gave them
};

// The sheets of one route direction.
struct DirectionSheets {
    std::vector<SheetState> sheets;  // sheet s at s - 1
    std::size_t firstOpen = 0;       // sheets before it are full

    // The first sheet (from 1) with room that lacks the number, or 0 when all may-be sheets
    // hold 79 trains or the number.
    int sheetFor(const std::u16string& number) const {
        for (std::size_t s = firstOpen; s < static_cast<std::size_t>(RouteCode::kMaxSheets); ++s) {
            if (s >= sheets.size()) {
                return static_cast<int>(s) + 1;
            }
            if (hasRoom(static_cast<int>(s) + 1, number)) {
                return static_cast<int>(s) + 1;
            }
        }
        return 0;
    }
    bool hasRoom(int sheet, const std::u16string& number) const {
        if (sheet > static_cast<int>(sheets.size())) {
            return true;
        }
        const SheetState& state = sheets[static_cast<std::size_t>(sheet - 1)];
        return state.columns.size() < kSheetCapacity && !state.numbers.contains(number);
    }
    SheetState& open(int sheet) {
        if (static_cast<int>(sheets.size()) < sheet) {
            sheets.resize(static_cast<std::size_t>(sheet));
        }
        return sheets[static_cast<std::size_t>(sheet - 1)];
    }
    void add(int sheet, FileColumn column, const std::u16string& number) {
        SheetState& state = open(sheet);
        state.numbers.insert(number);
        state.columns.push_back(std::move(column));
        while (firstOpen < sheets.size() && sheets[firstOpen].columns.size() >= kSheetCapacity) {
            ++firstOpen;
        }
    }
};

class Placer {
  public:
    explicit Placer(const std::vector<ImportTrain>& trains) : m_trains(trains) {
        m_result.skipped.assign(trains.size(), -1);
        for (int route = 0; route < kRouteCount; ++route) {
            for (const Direction direction : {Direction::Up, Direction::Down}) {
                m_directions[RouteCode::of(route, direction)].open(1);
            }
        }
    }

    Placement run() {
        std::vector<int> general;
        placeHinted(general);
        std::vector<std::tuple<int, int, int, std::u16string>> priority(m_trains.size());
        for (const int t : general) {
            const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
            priority[static_cast<std::size_t>(t)] = {-train.days.count(),
                                                     -static_cast<int>(train.calls.size()),
                                                     train.calls.front().departure, train.number};
        }
        std::stable_sort(general.begin(), general.end(), [&](int a, int b) {
            return priority[static_cast<std::size_t>(a)] < priority[static_cast<std::size_t>(b)];
        });
        for (const int train : general) {
            placeGeneral(train);
        }
        for (auto& [file, direction] : m_directions) {
            for (std::size_t s = 0; s < direction.sheets.size(); ++s) {
                SheetState& state = direction.sheets[s];
                const RouteCode code =
                    RouteCode::of(file.route(), file.direction(), static_cast<int>(s) + 1);
                SortColumns(code, m_trains, state.columns, state.hinted);
                m_result.sheets.push_back({code, std::move(state.columns)});
            }
        }
        return std::move(m_result);
    }

  private:
    // Trains of Velomar's own export go back to their sheet, in their column order.
    void placeHinted(std::vector<int>& general) {
        std::vector<int> hinted;
        for (int t = 0; t < static_cast<int>(m_trains.size()); ++t) {
            const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
            (train.hint.names_file() && FitsSheetWhole(train, train.hint) ? hinted : general)
                .push_back(t);
        }
        std::stable_sort(hinted.begin(), hinted.end(), [&](int a, int b) {
            const ImportTrain& x = m_trains[static_cast<std::size_t>(a)];
            const ImportTrain& y = m_trains[static_cast<std::size_t>(b)];
            return std::pair(x.hint, x.hintColumn) < std::pair(y.hint, y.hintColumn);
        });
        for (const int t : hinted) {
            const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
            DirectionSheets& direction = m_directions[train.hint.firstSheet()];
            if (!direction.hasRoom(train.hint.sheet(), train.number)) {
                general.push_back(t);
                continue;
            }
            std::vector<int> calls(train.calls.size());
            std::iota(calls.begin(), calls.end(), 0);
            direction.add(train.hint.sheet(), {t, std::move(calls)}, train.number);
            ++direction.open(train.hint.sheet()).hinted;
        }
    }

    std::vector<Candidate> candidatesOf(const ImportTrain& train, PairSets& servable) const {
        const std::size_t n = std::min(train.calls.size(), kMaxCalls);
        std::vector<Candidate> candidates;
        for (const int route : RoutesOfCalls(train.calls)) {
            for (const Direction direction : {Direction::Up, Direction::Down}) {
                const RouteCode file = RouteCode::of(route, direction);
                const CallSet chain = Chain(train.calls, file);
                if (chain.count() < 2) {
                    continue;
                }
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
        return candidates;
    }

    void placeGeneral(int t) {
        const ImportTrain& train = m_trains[static_cast<std::size_t>(t)];
        const std::size_t n = std::min(train.calls.size(), kMaxCalls);
        PairSets servable(n);
        const std::vector<Candidate> candidates = candidatesOf(train, servable);
        PairSets open = servable;
        std::vector<std::pair<const Candidate*, int>> chosen;  // with the sheet
        for (;;) {
            const Candidate* best = nullptr;
            std::size_t bestGain = 0;
            int bestSheet = 0;
            for (const Candidate& candidate : candidates) {
                const std::size_t gain = CountPairs(open, candidate.chain);
                const int sheet =
                    gain > bestGain ? m_directions.at(candidate.file).sheetFor(train.number) : 0;
                if (sheet > 0) {
                    best = &candidate;
                    bestGain = gain;
                    bestSheet = sheet;
                }
            }
            if (best == nullptr) {
                break;
            }
            Serve(open, best->chain);
            chosen.emplace_back(best, bestSheet);
        }
        if (AnyPair(open)) {
            // Left out whole: a partly findable train would look like a complete one.
            m_result.skipped[static_cast<std::size_t>(t)] = static_cast<int>(SkipReason::NoRoom);
            return;
        }
        m_result.trainsWithUnservedPairs += HasUnservedPairs(train.calls, servable) ? 1 : 0;
        for (const auto& [candidate, sheet] : chosen) {
            std::vector<int> calls;
            for (std::size_t i = 0; i < n; ++i) {
                if (candidate->chain.test(i)) {
                    calls.push_back(static_cast<int>(i));
                }
            }
            m_directions.at(candidate->file).add(sheet, {t, std::move(calls)}, train.number);
        }
    }

    const std::vector<ImportTrain>& m_trains;
    std::map<RouteCode, DirectionSheets> m_directions;  // by the file, in reading order
    Placement m_result;
};

}  // namespace

bool FitsSheetWhole(const ImportTrain& train, RouteCode sheet) {
    if (!sheet.names_file() || train.calls.size() > kMaxCalls) {
        return false;
    }
    return Chain(train.calls, sheet).count() == train.calls.size();
}

Placement PlaceTrains(const std::vector<ImportTrain>& trains) {
    return Placer(trains).run();
}

}  // namespace velomar
