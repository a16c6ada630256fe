#pragma once

// The timetables the page downloads, as one file (scripts/web_assemble.py writes it): every file of
// a data folder's TimeData/ one after the other, each behind its name and size. One download
// compresses better than sixty-four, and the app's own file system gets the whole folder, so every
// reader of timetables finds there whatever the folder held (sheets, dates, SOURCE.txt).
//
//   velomar-timetables 1\n
//   UpData_00.txt\n 6144\n <6144 bytes> ...

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace velomar {

struct PackInstall {
    bool ok = false;
    std::size_t files = 0;
    std::string error;  // what was wrong with the pack, or which file could not be written
};

// Writes the files of the pack below `folder`/TimeData. A pack that is cut, or names a file
// outside that folder, is refused before anything is written.
PackInstall InstallTimetablePack(std::string_view pack, const std::filesystem::path& folder);

}  // namespace velomar
