#pragma once

// How far a long import has come, for a front end that shows it: what is being read and how
// many rows of it so far.

#include <functional>
#include <string_view>
#include <utility>

namespace velomar {

class ImportProgress {
  public:
    using Report = std::function<void(std::string_view what, long rows)>;

    ImportProgress() = default;
    explicit ImportProgress(Report report) : m_report(std::move(report)) {}

    // Called for every row read; passes on every 65536th.
    void rows(std::string_view what, long count) const {
        if (m_report && (count & 0xFFFF) == 0) {
            m_report(what, count);
        }
    }
    // A stage begins or ends: passed on at once.
    void stage(std::string_view what) const {
        if (m_report) {
            m_report(what, 0);
        }
    }

  private:
    Report m_report;
};

}  // namespace velomar
