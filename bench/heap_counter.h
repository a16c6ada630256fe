#pragma once

#include <cstddef>

namespace velomar::bench {

// Counts of the benchmark binary's global operator new/delete (aligned forms excepted).
struct HeapCounts {
    std::size_t live = 0;       // bytes currently allocated
    std::size_t peak = 0;       // highest `live` since the last ResetHeapPeak
    std::size_t allocated = 0;  // bytes ever allocated
    std::size_t allocations = 0;
};

HeapCounts CurrentHeapCounts();
// Makes the peak start again from the live bytes of this moment.
void ResetHeapPeak();

// Heap use of one stretch of code: bytes allocated in it and its peak above the live bytes
// at its start.
class HeapMark {
  public:
    HeapMark();
    std::size_t allocatedBytes() const;
    std::size_t allocationCount() const;
    std::size_t peakAboveStart() const;

  private:
    HeapCounts m_start;
};

}  // namespace velomar::bench
