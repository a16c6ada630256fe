#include "import/trip_index.h"

#include <algorithm>

namespace velomar {

namespace {

std::uint64_t Key(std::uint32_t high, std::uint32_t low) {
    return std::uint64_t{high} << 32 | low;
}

}  // namespace

std::uint64_t TripIdIndex::DefaultHash(std::string_view id) {
    // FNV-1a, then mixed (the finaliser of SplitMix64): the same on every platform, so a
    // feed behaves alike wherever it is imported.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : id) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ull;
    hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebull;
    return hash ^ (hash >> 31);
}

void TripIdIndex::add(std::string_view id, int value) {
    const std::uint64_t hash = m_hash(id);
    m_entries.push_back(
        {static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(hash), value});
}

std::vector<std::uint64_t> TripIdIndex::finish() {
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return Key(a.high, a.low) < Key(b.high, b.low);
    });
    std::vector<std::uint64_t> shared;
    for (std::size_t i = 1; i < m_entries.size(); ++i) {
        const std::uint64_t key = Key(m_entries[i].high, m_entries[i].low);
        if (key == Key(m_entries[i - 1].high, m_entries[i - 1].low) &&
            (shared.empty() || shared.back() != key)) {
            shared.push_back(key);
        }
    }
    m_shared = shared;
    return shared;
}

void TripIdIndex::addExact(std::string id, int value) {
    m_exact.emplace(std::move(id), value);
}

// Hashes are spread evenly, so the entry lies near hash / 2^64 of the way along: a guess and
// a short search from it, where a binary search over millions of entries misses the cache at
// every step.
const TripIdIndex::Entry* TripIdIndex::lookup(std::uint64_t hash) const {
    const std::size_t n = m_entries.size();
    if (n == 0) {
        return nullptr;
    }
    auto keyAt = [&](std::size_t i) { return Key(m_entries[i].high, m_entries[i].low); };
    std::size_t low = 0;
    std::size_t high = n;  // the entry, if any, lies in [low, high)
    // Fewer than 2^32 entries: the product fits.
    std::size_t guess = static_cast<std::size_t>(((hash >> 32) * n) >> 32);
    for (std::size_t step = 16; low < high; step *= 2) {
        if (keyAt(guess) < hash) {
            low = guess + 1;
            guess = std::min(high - 1, guess + step);
        } else {
            high = guess;
            guess = guess - std::min(guess - low, step);
        }
        if (high - low <= step) {
            break;
        }
    }
    const auto it = std::lower_bound(
        m_entries.begin() + static_cast<std::ptrdiff_t>(low),
        m_entries.begin() + static_cast<std::ptrdiff_t>(high), hash,
        [](const Entry& entry, std::uint64_t key) { return Key(entry.high, entry.low) < key; });
    return it != m_entries.end() && Key(it->high, it->low) == hash ? &*it : nullptr;
}

std::optional<int> TripIdIndex::find(std::string_view id) const {
    const std::uint64_t hash = m_hash(id);
    if (std::binary_search(m_shared.begin(), m_shared.end(), hash)) {
        const auto it = m_exact.find(id);
        return it == m_exact.end() ? std::nullopt : std::optional<int>(it->second);
    }
    const Entry* entry = lookup(hash);
    return entry ? std::optional<int>(entry->value) : std::nullopt;
}

}  // namespace velomar
