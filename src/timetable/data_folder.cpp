#include "timetable/data_folder.h"

#include <cstdlib>
#include <system_error>

#include "platform/host.h"

// The installed samples' folder relative to the installed executables; the build passes the
// one its install directories give.
#ifndef VELOMAR_INSTALLED_DATA_FROM_BIN
#define VELOMAR_INSTALLED_DATA_FROM_BIN "../share/velomar"
#endif

namespace velomar {
namespace {

const char* variable(const DataFolderPlaces& places, const char* name) {
    const char* value = places.environment ? places.environment(name) : nullptr;
    return value != nullptr && *value != '\0' ? value : nullptr;
}

bool holdsTimeData(const std::filesystem::path& folder) {
    std::error_code error;
    return !folder.empty() && std::filesystem::is_directory(folder / "TimeData", error);
}

std::filesystem::path userFolder(const DataFolderPlaces& places) {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    if (const char* data = variable(places, "XDG_DATA_HOME")) {
        const std::filesystem::path base = data;
        if (base.is_absolute()) {
            return base / "velomar";
        }
    }
    if (const char* home = variable(places, "HOME")) {
        return std::filesystem::path(home) / ".local" / "share" / "velomar";
    }
    return {};
}

}  // namespace

std::vector<DataFolderCandidate> DataFolderCandidates(const DataFolderPlaces& places) {
    std::vector<DataFolderCandidate> candidates;
    auto add = [&](DataFolderRule rule, std::filesystem::path folder) {
        const bool holds = holdsTimeData(folder);
        candidates.push_back({rule, std::move(folder), holds});
    };
    add(DataFolderRule::Option, places.option.value_or(std::filesystem::path()));
    const char* environment = variable(places, "VELOMAR_DATA");
    add(DataFolderRule::Environment,
        environment != nullptr ? std::filesystem::path(environment) : std::filesystem::path());
    add(DataFolderRule::ProgramFolder, places.executableDirectory);
    add(DataFolderRule::UserFolder, userFolder(places));
    // Without the executable's folder there is nothing to be beside.
    add(DataFolderRule::InstalledFolder,
        places.executableDirectory.empty()
            ? std::filesystem::path()
            : (places.executableDirectory / VELOMAR_INSTALLED_DATA_FROM_BIN).lexically_normal());
    return candidates;
}

DataFolder ChooseDataFolder(const DataFolderPlaces& places) {
    for (const DataFolderCandidate& candidate : DataFolderCandidates(places)) {
        // An explicit choice is taken as it stands, so that its missing files are reported.
        const bool explicitChoice = candidate.rule == DataFolderRule::Option ||
                                    candidate.rule == DataFolderRule::Environment;
        if (explicitChoice ? !candidate.folder.empty() : candidate.holdsTimeData) {
            return {candidate.folder, candidate.rule};
        }
    }
    return {places.executableDirectory, DataFolderRule::NotFound};
}

DataFolder ChooseDataFolder(const std::optional<std::filesystem::path>& option) {
    return ChooseDataFolder(
        {option, [](const char* name) { return std::getenv(name); }, ExecutableDirectory()});
}

std::string_view DescribeDataFolderRule(DataFolderRule rule) {
    switch (rule) {
        case DataFolderRule::Option:
            return "given with --data";
        case DataFolderRule::Environment:
            return "given by $VELOMAR_DATA";
        case DataFolderRule::ProgramFolder:
            return "the program's own folder";
        case DataFolderRule::UserFolder:
            return "your own timetables, $XDG_DATA_HOME/velomar (else ~/.local/share/velomar)";
        case DataFolderRule::InstalledFolder:
            return "the installed sample timetables, " VELOMAR_INSTALLED_DATA_FROM_BIN
                   " from the program's folder";
        case DataFolderRule::NotFound:
            break;
    }
    return "no folder holds TimeData/; the program's own folder";
}

}  // namespace velomar
