// Replacing files by name beside files of the user's (the GTFS export into a folder of
// theirs), and cleaning up after runs that were killed. No system call replaces several
// names at once, so the replacement is journalled: the new files and a second link to each
// old one are on the disk before the journal is, and from the moment the journal is the
// replacement is finished, by this run or, after a kill, by the next; should a step fail, it
// is undone from the same journal.
#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/staged_folder.h"
#include "platform/staged_folder_steps.h"

namespace velomar::staging {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFinishJournal = ".velomar-commit";
constexpr const char* kUndoJournal = ".velomar-undo";
constexpr const char* kOldFiles = ".old";

std::string KindOf(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::symlink:
            return "a symbolic link";
        case fs::file_type::fifo:
            return "a named pipe";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "not a plain file";
    }
}

bool Fail(std::string& error, const std::string& text, const std::error_code& code) {
    error = text + ": " + code.message();
    return false;
}

// A second link to the old file, or a copy on the disk where the file system has no links.
bool KeepOld(const fs::path& file, const fs::path& kept, std::string& error) {
    std::error_code code;
    fs::create_hard_link(file, kept, code);
    if (!code) {
        return true;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    return in.is_open() && !in.bad() ? WriteFileDurably(kept, bytes, error)
                                     : Fail(error, "cannot keep the old " + Quoted(file), code);
}

std::vector<std::string> ReadJournal(const fs::path& journal) {
    std::ifstream in(journal, std::ios::binary);
    std::vector<std::string> names;
    for (std::string name; std::getline(in, name);) {
        names.push_back(name);
    }
    return names;
}

// Every staged file still in the staging folder moved into the target.
bool MoveIn(const fs::path& run, const fs::path& target, const std::vector<std::string>& names,
            std::string& error) {
    for (const std::string& name : names) {
        std::error_code code;
        if (!fs::exists(fs::symlink_status(run / name, code))) {
            continue;  // moved before
        }
        if (!CheckPlaces(target, {name}, error)) {
            return false;
        }
        fs::rename(run / name, target / name, code);
        if (code) {
            return Fail(error, "cannot move the new " + name + " into " + Quoted(target), code);
        }
    }
    SyncFolder(target);
    return true;
}

// Every name as it was before: the kept old file, or nothing where there was none.
bool PutBack(const fs::path& run, const fs::path& target, const std::vector<std::string>& names,
             std::string& error) {
    for (const std::string& name : names) {
        std::error_code code;
        if (fs::exists(fs::symlink_status(run / name, code))) {
            continue;  // never moved in
        }
        if (fs::exists(fs::symlink_status(run / kOldFiles / name, code))) {
            fs::rename(run / kOldFiles / name, target / name, code);
        } else if (fs::is_regular_file(fs::symlink_status(target / name, code))) {
            fs::remove(target / name, code);
        }
        if (code) {
            return Fail(error, "cannot put the old " + name + " back into " + Quoted(target), code);
        }
    }
    SyncFolder(target);
    return true;
}

// The journal says finish: finished, or undone when a step fails. False only when it can be
// neither (the run folder is kept then, with the old files in it).
bool Finish(const fs::path& run, const fs::path& target, const std::vector<std::string>& names,
            std::string& error) {
    if (MoveIn(run, target, names, error)) {
        return true;
    }
    std::error_code code;
    fs::rename(run / kFinishJournal, run / kUndoJournal, code);
    SyncFolder(run);
    std::string undoError;
    if (!PutBack(run, target, names, undoError)) {
        error += "; " + undoError;
    } else {
        fs::remove(run / kUndoJournal, code);
    }
    return false;
}

// A run folder with a journal is finished (or undone) before it is removed.
bool Recover(const fs::path& run, const fs::path& target, std::string& error) {
    std::error_code code;
    if (fs::exists(run / kFinishJournal, code)) {
        std::string undone;  // a step that fails is undone: the old set is whole again
        Finish(run, target, ReadJournal(run / kFinishJournal), undone);
    }
    if (fs::exists(run / kUndoJournal, code) &&
        !PutBack(run, target, ReadJournal(run / kUndoJournal), error)) {
        error = "an earlier run that wrote into " + Quoted(target) +
                " was broken off and cannot be undone (" + error + "); see " + Quoted(run);
        return false;
    }
    fs::remove_all(run, code);
    return true;
}

}  // namespace

bool Unfinished(const fs::path& run) {
    std::error_code code;
    return fs::exists(run / kUndoJournal, code);
}

std::string LeftoverPrefix(const fs::path& target, bool old) {
    // Built in steps: GCC 12 at -O2 warns wrongly (-Wrestrict) about "." + a temporary.
    std::string prefix = ".";
    prefix += target.filename().string();
    prefix += old ? ".velomar-old-" : ".velomar-new-";
    return prefix;
}

std::vector<fs::path> Leftovers(const fs::path& folder, std::string_view prefix) {
    std::vector<fs::path> found;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        const std::string name = it->path().filename().string();
        const std::string_view rest =
            std::string_view(name).substr(name.starts_with(prefix) ? prefix.size() : name.size());
        std::error_code kind;
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (!rest.empty() && std::all_of(rest.begin(), rest.end(), digit) &&
            it->symlink_status(kind).type() == fs::file_type::directory) {
            found.push_back(it->path());
        }
    }
    return found;
}

bool CheckPlaces(const fs::path& target, const std::vector<std::string>& names,
                 std::string& error) {
    for (const std::string& name : names) {
        std::error_code code;
        const fs::file_type type = fs::symlink_status(target / name, code).type();
        if (type != fs::file_type::not_found && type != fs::file_type::regular) {
            error = Quoted(target / name) + " is " + KindOf(type) +
                    ", not a file of the feed: nothing was replaced (move it away, or write "
                    "the feed into another folder)";
            return false;
        }
    }
    return true;
}

bool ReplaceByName(const fs::path& staging, const fs::path& target,
                   const std::vector<std::string>& names, std::string& error) {
    std::error_code code;
    const fs::path kept = staging / kOldFiles;
    fs::create_directory(kept, code);
    for (const std::string& name : names) {
        if (fs::is_regular_file(fs::symlink_status(target / name, code)) &&
            !KeepOld(target / name, kept / name, error)) {
            return false;
        }
    }
    std::string journal;
    for (const std::string& name : names) {
        journal += name + '\n';
    }
    SyncFolder(kept);
    if (!WriteFileDurably(staging / kFinishJournal, journal, error)) {
        return false;
    }
    SyncFolder(staging);
    return Finish(staging, target, names, error);
}

bool CleanLeftovers(const fs::path& target, bool wholeFolder, std::string& error) {
    const fs::path parent = target.parent_path();
    std::error_code code;
    if (wholeFolder) {
        // An old TimeData moved aside whose replacement never came is the one whole set.
        auto old = Leftovers(parent, LeftoverPrefix(target, true));
        std::sort(old.begin(), old.end(), [](const fs::path& a, const fs::path& b) {
            std::error_code ignored;
            return fs::last_write_time(a, ignored) > fs::last_write_time(b, ignored);
        });
        if (!old.empty() && !fs::exists(fs::symlink_status(target, code))) {
            fs::rename(old.front(), target, code);
            if (code) {
                return Fail(error, "cannot put the old " + Quoted(target) + " back", code);
            }
            SyncFolder(parent);
            old.erase(old.begin());
        }
        for (const fs::path& folder : old) {
            fs::remove_all(folder, code);
        }
    } else if (fs::is_directory(fs::symlink_status(target, code))) {
        for (const fs::path& run : Leftovers(target, LeftoverPrefix(target, false))) {
            if (!Recover(run, target, error)) {
                return false;
            }
        }
    }
    for (const fs::path& run : Leftovers(parent, LeftoverPrefix(target, false))) {
        fs::remove_all(run, code);
    }
    return true;
}

}  // namespace velomar::staging
