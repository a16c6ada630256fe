// velomar-cli check [DIR]: the data checker over a TimeData folder.
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "platform/utf8.h"
#include "timetable/data_check.h"
#include "timetable/file_reader.h"

namespace velomar::cli {

namespace {

// DIR may hold TimeData/ (like --data) or be the TimeData folder itself.
std::filesystem::path timeDataFolder(const std::filesystem::path& directory) {
    std::error_code error;
    const std::filesystem::path inside = directory / "TimeData";
    if (std::filesystem::is_directory(inside, error)) {
        return inside;
    }
    return directory;
}

std::string plural(int count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

}  // namespace

int RunCheck(CliContext& context) {
    const auto parsed = ParseArgs(context.args, {}, "check", context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() > 1) {
        return UsageError("check", "expects at most one folder", context.err);
    }
    const std::filesystem::path folder = timeDataFolder(
        parsed->positionals.empty() ? context.dataDirectory : PathFromUtf8(parsed->positionals[0]));
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        context.err << "velomar-cli check: " << TerminalText(PathToUtf8(folder))
                    << " is not a folder\n";
        return kFailure;
    }
    const DataCheckResult result = CheckTimetableData(DiskFileReader(), folder);
    for (const DataDiagnostic& d : result.diagnostics) {
        context.out << PathToUtf8(folder / d.file) << ':' << d.line << ':' << d.column << ": "
                    << d.message << '\n';
    }
    context.out << plural(result.filesChecked, "file") << ", " << plural(result.trains, "train")
                << ", " << plural(result.problems, "problem") << '\n';
    return result.clean() ? kSuccess : kFailure;
}

}  // namespace velomar::cli
