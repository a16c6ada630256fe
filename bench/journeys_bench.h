#pragma once

#include <filesystem>

#include "timetable/file_reader.h"
#include "workloads.h"

namespace velomar::bench {

// Journeys with one change against the direct search of the same pairs, from disk and from
// memory, and the planner's query alone on files already read.
void RegisterJourneyBenchmarks(const Workloads& workloads, const FileReader& disk,
                               const std::filesystem::path& sampleBase, const FileReader& memory,
                               const std::filesystem::path& memoryBase);

}  // namespace velomar::bench
