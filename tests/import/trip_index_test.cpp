// Trip ids kept as hashes: every id found again, ids the feed lacks not found, and ids whose
// hashes meet told apart by their text.
#include <gtest/gtest.h>

#include "import/trip_index.h"

namespace velomar {
namespace {

std::string IdOf(int n) {
    std::string id = "T";
    id += std::to_string(n);
    return id;
}

TEST(TripIdIndex, FindsEveryIdAndNoOther) {
    TripIdIndex index;
    for (int i = 0; i < 20000; ++i) {
        index.add(IdOf(i * 7), i % 3 == 0 ? -1 : i);
    }
    EXPECT_TRUE(index.finish().empty());
    for (int i = 0; i < 20000; ++i) {
        EXPECT_EQ(index.find(IdOf(i * 7)), i % 3 == 0 ? -1 : i) << i;
        EXPECT_EQ(index.find(IdOf(i * 7 + 1)), std::nullopt) << i;
    }
}

TEST(TripIdIndex, IdsWhoseHashesMeetAreToldApartByTheirText) {
    TripIdIndex index([](std::string_view id) -> std::uint64_t { return id.size() < 3 ? 1 : 2; });
    for (const char* id : {"A", "B", "C1", "LONG"}) {
        index.add(id, id[0]);
    }
    EXPECT_EQ(index.finish(), (std::vector<std::uint64_t>{1}));
    for (const char* id : {"A", "B", "C1"}) {
        index.addExact(id, id[0]);
    }
    EXPECT_EQ(index.find("B"), 'B');
    EXPECT_EQ(index.find("C1"), 'C');
    EXPECT_EQ(index.find("D"), std::nullopt);
    EXPECT_EQ(index.find("LONG"), 'L');
}

}  // namespace
}  // namespace velomar
