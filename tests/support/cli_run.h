#pragma once

// velomar-cli run in process, its two streams captured.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace velomar::testing_support {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// RunCli with the arguments as given.
inline CliRun RunCliCaptured(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

// RunCli with `root` as the data folder and a settings store of its own in it.
inline CliRun RunCliIn(const std::filesystem::path& root, std::vector<std::string> args) {
    args.insert(args.begin(),
                {"--data", root.string(), "--settings", (root / "settings.sqlite3").string()});
    return RunCliCaptured(args);
}

}  // namespace velomar::testing_support
