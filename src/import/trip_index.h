#pragma once

// The trip ids of trips.txt, kept as 64-bit hashes: 12 bytes a trip whatever the ids' length,
// where a map of strings took over a hundred. Ids whose hashes meet (a trip id given twice,
// or, all but never, two ids with one hash) are looked at again by their text: the caller
// reads trips.txt a second time for those and hands them over with addExact.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/string_index.h"

namespace velomar {

class TripIdIndex {
  public:
    using Hash = std::uint64_t (*)(std::string_view);
    static std::uint64_t DefaultHash(std::string_view id);

    explicit TripIdIndex(Hash hash = DefaultHash) : m_hash(hash) {}

    void reserve(std::size_t trips) { m_entries.reserve(trips); }
    // `value` is what find gives for the id.
    void add(std::string_view id, int value);
    // Sorts what was added; returns the hashes added more than once, ascending.
    std::vector<std::uint64_t> finish();
    std::uint64_t hashOf(std::string_view id) const { return m_hash(id); }
    // For ids whose hash is shared: their own value, found by their text.
    void addExact(std::string id, int value);

    // The value of a known id; nothing for an id trips.txt does not have.
    std::optional<int> find(std::string_view id) const;

  private:
    // Packed into 12 bytes: the hash as two halves keeps the entry 4-byte aligned.
    struct Entry {
        std::uint32_t high;
        std::uint32_t low;
        std::int32_t value;
    };
    const Entry* lookup(std::uint64_t hash) const;

    Hash m_hash;
    std::vector<Entry> m_entries;
    std::vector<std::uint64_t> m_shared;  // hashes looked up by text instead, ascending
    TextMap<int> m_exact;
};

}  // namespace velomar
