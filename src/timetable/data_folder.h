#pragma once

// Which folder holds the timetables (its TimeData/ subfolder), for the CLI and the app alike.

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace velomar {

// The rules in the order they are tried; the first that gives a folder wins.
enum class DataFolderRule {
    Option,           // --data DIR, used as given
    Environment,      // $VELOMAR_DATA, used as given
    ProgramFolder,    // the executable's folder, when it holds TimeData/ (a build tree)
    UserFolder,       // $XDG_DATA_HOME/velomar (else ~/.local/share/velomar) with TimeData/
    InstalledFolder,  // share/velomar beside the executable's bin folder, with TimeData/
    NotFound,         // nothing holds TimeData/: the executable's folder, as before installs
};

struct DataFolder {
    std::filesystem::path folder;
    DataFolderRule rule = DataFolderRule::NotFound;
};

// One place the rules look at: empty when the rule does not apply (no --data, no HOME).
struct DataFolderCandidate {
    DataFolderRule rule;
    std::filesystem::path folder;
    bool holdsTimeData = false;
};

// What the rules read, injectable for tests. `environment` returns nullptr for an unset
// variable; an empty value counts as unset.
struct DataFolderPlaces {
    std::optional<std::filesystem::path> option;
    std::function<const char*(const char*)> environment;
    std::filesystem::path executableDirectory;
};

// Every rule but NotFound, in order, with the folder each names.
std::vector<DataFolderCandidate> DataFolderCandidates(const DataFolderPlaces& places);

DataFolder ChooseDataFolder(const DataFolderPlaces& places);

// The running program's choice: its own environment and executable's folder.
DataFolder ChooseDataFolder(const std::optional<std::filesystem::path>& option);

// A short text for messages: "the installed sample timetables" and the like.
std::string_view DescribeDataFolderRule(DataFolderRule rule);

}  // namespace velomar
