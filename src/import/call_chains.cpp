#include "import/call_chains.h"

#include <algorithm>

#include "import/network_model.h"

namespace velomar {

CallSet Chain(const std::vector<TrainCall>& calls, RouteCode sheet) {
    const RouteSlots& route = SlotsOfRoute(sheet.route());
    const bool down = sheet.direction() == Direction::Down;
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
        if (!down) {
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

bool HasUnservedPairs(const std::vector<TrainCall>& calls, const PairSets& servable) {
    const std::size_t n = std::min(calls.size(), kMaxCalls);
    for (const int route : RoutesOfCalls(calls)) {
        CallSet on;
        for (std::size_t i = 0; i < n; ++i) {
            on.set(i, SlotsOfRoute(route).slotOf[static_cast<std::size_t>(calls[i].station)] >= 0);
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

std::vector<int> RoutesOfCalls(const std::vector<TrainCall>& calls) {
    std::vector<int> routes;
    for (int route = 0; route < kRouteCount; ++route) {
        const auto& slotOf = SlotsOfRoute(route).slotOf;
        const auto on = std::count_if(calls.begin(), calls.end(), [&](const TrainCall& call) {
            return slotOf[static_cast<std::size_t>(call.station)] >= 0;
        });
        if (on >= 2) {
            routes.push_back(route);
        }
    }
    return routes;
}

}  // namespace velomar
