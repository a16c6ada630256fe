#pragma once

#include <string>
#include <vector>

namespace velomar {

// One row of the result list: "열차No", "출발時" (HH:MM), "도착時" (HH:MM), "열 차".
struct ResultRow {
    int slot = 0;
    std::u16string trainNo;
    std::u16string departure;
    std::u16string arrival;
    std::u16string typeLabel;
    friend bool operator==(const ResultRow&, const ResultRow&) = default;
};

// The list control as the search drives it.
class ResultListView {
  public:
    virtual ~ResultListView() = default;
    virtual void clearRows() = 0;
    virtual void insertRow(const ResultRow& row) = 0;
};

// A list that just keeps its rows; the CLI and tests use it, widgets mirror it.
class ResultRows : public ResultListView {
  public:
    void clearRows() override { rows.clear(); }
    void insertRow(const ResultRow& row) override { rows.push_back(row); }
    std::vector<ResultRow> rows;
};

}  // namespace velomar
