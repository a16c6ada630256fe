#pragma once

// The steps StagedFolder is made of, shared by its two source files.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velomar::staging {

std::string Quoted(const std::filesystem::path& path);

// A rename is only durable once the folder that holds it is on the disk too.
void SyncFolder(const std::filesystem::path& folder);

// ".TimeData.velomar-new-" and ".TimeData.velomar-old-" for the target "…/TimeData"; a run's
// own staging folder is the prefix followed by digits.
std::string LeftoverPrefix(const std::filesystem::path& target, bool old);
// The folders in `folder` named with `prefix` and digits, real folders only (no links).
std::vector<std::filesystem::path> Leftovers(const std::filesystem::path& folder,
                                             std::string_view prefix);

// An exclusive lock on the folder itself, held until UnlockFolder; -1 where it cannot be had.
int LockFolder(const std::filesystem::path& folder);
void UnlockFolder(int lock);

// Swaps two folders in one step; false (code EINVAL and the like) where the file system or
// the system cannot.
bool ExchangeFolders(const std::filesystem::path& a, const std::filesystem::path& b,
                     std::error_code& code);

// SameNames: nothing but plain files (or nothing) where the names go.
bool CheckPlaces(const std::filesystem::path& target, const std::vector<std::string>& names,
                 std::string& error);
// SameNames: the staged files moved into the target under a journal kept in the staging
// folder; on failure every step already taken is undone.
bool ReplaceByName(const std::filesystem::path& staging, const std::filesystem::path& target,
                   const std::vector<std::string>& names, std::string& error);
// After ReplaceByName failed: whether steps it took could not be undone (the run folder is
// then kept for the next run to undo them).
bool Unfinished(const std::filesystem::path& run);
// What killed runs left: SameNames replacements finished (or undone) from their journals,
// a TimeData moved aside and never replaced put back, then the run folders removed.
bool CleanLeftovers(const std::filesystem::path& target, bool wholeFolder, std::string& error);

}  // namespace velomar::staging
