#pragma once

// The sample timetable set: synthetic, plausible trains for all 64 files, built the same
// way on every run (a fixed-seed generator, ordered containers only).
#include <filesystem>
#include <string>
#include <vector>

namespace velomar::tools {

struct GeneratedFile {
    std::string name;   // "UpData_00.txt" ... "DownData_31.txt"
    std::string bytes;  // ASCII, CR LF line ends, closed by "="
};

// The 64 files, Up files of routes 0-31 first, then the Down files.
std::vector<GeneratedFile> GenerateTimetables();

// Writes the set into `directory` (created when missing). Returns an error text, empty on
// success.
std::string WriteTimetables(const std::filesystem::path& directory);

}  // namespace velomar::tools
