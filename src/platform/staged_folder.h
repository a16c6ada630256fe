#pragma once

// A set of files written into a staging folder and put in place only once every file is
// complete, so that a failed, interrupted or killed run leaves the old files as they were or
// the new ones whole, never a mix of old and new. The GTFS export and the timetable import
// both write through it.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

class StagedFolder {
  public:
    enum class Replace {
        // The target folder is the staged set: an old folder is replaced whole (TimeData), in
        // one step where the system can exchange two folders.
        WholeFolder,
        // Only entries of the staged names are replaced; other files in the target stay
        // (a feed folder the user also keeps notes in). A journal in the staging folder lets
        // the next run finish, or undo, a replacement that a kill broke off.
        SameNames,
    };

    StagedFolder() = default;
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    // Removes the staging folder unless it was committed.
    ~StagedFolder();

    // Makes the staging folder: beside `target` (parents created), or, for SameNames into
    // a folder that exists, a hidden folder inside it, so that the final renames stay on
    // one file system even when the target is a mount point. Runs for one target take turns
    // (a lock on the folder that holds the target, so a process holds one StagedFolder per
    // folder at a time), and each first removes what runs before it left behind when they
    // were killed.
    bool begin(const std::filesystem::path& target, Replace mode, std::string& error);
    const std::filesystem::path& path() const { return m_staging; }

    // Writes one file of the set, flushed to the disk before it counts as written.
    bool write(std::string_view name, std::string_view bytes, std::string& error);

    // Puts the staged files in place. On failure nothing of the old set is changed. SameNames
    // refuses to put a file where anything but a plain file stands (a folder, a link).
    bool commit(std::string& error);

  private:
    bool commitWhole(std::string& error);
    bool commitByName(std::string& error);

    std::filesystem::path m_target;
    std::filesystem::path m_staging;
    Replace m_mode = Replace::WholeFolder;
    bool m_targetExisted = false;
    std::vector<std::string> m_names;
    int m_lock = -1;
};

// Writes bytes to a new file and flushes them to the disk.
bool WriteFileDurably(const std::filesystem::path& path, std::string_view bytes,
                      std::string& error);

}  // namespace velomar
