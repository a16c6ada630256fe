// velomar-unzip ARCHIVE [NAME]: the zip reader of `velomar-cli import-gtfs`, run by it as a
// child process. libzip comes as a shared library only, and the optimised velomar-cli is
// linked statically because loading shared libraries costs a short search as much as the
// search itself; so libzip lives here.
//
// Without NAME: checks that ARCHIVE is a readable zip and prints the names of the feed files
// it holds, one per line. With NAME: writes that file's bytes to standard output. A file
// "gtfs/stops.txt" serves as stops.txt when the archive has none at its top.
// Exit status: 0 done, 1 the archive or the file cannot be read (the reason on standard
// error), 2 bad usage, 3 the archive has no such file.
#include <zip.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kNoSuchFile = 3;

struct Entry {
    zip_uint64_t index;
    bool top;
};

// Each base name once, an entry at the top before one in a folder.
std::map<std::string, Entry> FeedEntries(zip_t* archive) {
    std::map<std::string, Entry> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (name == nullptr) {
            continue;
        }
        const std::string_view path(name);
        const std::size_t slash = path.rfind('/');
        const bool top = slash == std::string_view::npos;
        const std::string base(top ? path : path.substr(slash + 1));
        if (base.empty() || base.find('\n') != std::string::npos) {
            continue;  // a folder, or a name no line can carry
        }
        const Entry entry{static_cast<zip_uint64_t>(i), top};
        const auto [it, added] = entries.try_emplace(base, entry);
        if (!added && top && !it->second.top) {
            it->second = entry;
        }
    }
    return entries;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return kFailed;
}

int CopyEntry(zip_t* archive, const Entry& entry, const char* name) {
    zip_file_t* file = zip_fopen_index(archive, entry.index, 0);
    if (file == nullptr) {
        return Fail(std::string(name) +
                    " cannot be read from the archive: " + zip_strerror(archive));
    }
    static char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            // Damaged data, or a checksum that does not match at the end.
            const std::string reason = zip_file_strerror(file);
            zip_fclose(file);
            return Fail(std::string(name) + ": " + reason);
        }
        if (n == 0) {
            break;
        }
        if (std::fwrite(buffer, 1, static_cast<std::size_t>(n), stdout) !=
            static_cast<std::size_t>(n)) {
            zip_fclose(file);
            return kFailed;  // the reader went away
        }
    }
    zip_fclose(file);
    return std::fflush(stdout) == 0 ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "Usage: velomar-unzip ARCHIVE [NAME]\n");
        return kUsage;
    }
    int code = 0;
    zip_t* archive = zip_open(argv[1], ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr) {
        if (code == ZIP_ER_NOZIP) {
            return Fail("not a zip archive (nor a folder)");
        }
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        return Fail(reason);
    }
    const auto entries = FeedEntries(archive);
    int status = 0;
    if (argc == 2) {
        for (const auto& [name, entry] : entries) {
            std::printf("%s\n", name.c_str());
        }
        status = std::fflush(stdout) == 0 ? 0 : kFailed;
    } else if (const auto it = entries.find(argv[2]); it == entries.end()) {
        status = kNoSuchFile;
    } else {
        status = CopyEntry(archive, it->second, argv[2]);
    }
    zip_discard(archive);
    return status;
}
