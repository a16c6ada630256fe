// velomar-unzip ARCHIVE: the zip reader of `velomar-cli import-gtfs`, run by it as a child
// process for the length of one import and asked for files as the import reads them (the
// protocol is in zip_feed_protocol.h). libzip comes as a shared library only, and the
// optimised velomar-cli is linked statically because loading shared libraries costs a short
// search as much as the search itself; so libzip lives here.
//
// A file "gtfs/stops.txt" serves as stops.txt when the archive has none at its top. Exit
// status: 0 at the end of the requests, 1 when the archive cannot be read, 2 bad usage.
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "import/zip_feed_protocol.h"

namespace {

namespace protocol = velomar::zip_protocol;

struct Entry {
    zip_uint64_t index = 0;
    bool top = false;
    std::string path;
    std::string conflict;  // why the name cannot be read as one file
};

// Each base name once, an entry at the top before those in folders. Two entries that could
// both be meant are noted, so that the import never reads one of them by chance.
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
        const Entry entry{static_cast<zip_uint64_t>(i), top, std::string(path), {}};
        const auto [it, added] = entries.try_emplace(base, entry);
        if (added || (it->second.top && !top)) {
            continue;
        }
        if (top && !it->second.top) {
            it->second = entry;
        } else if (top) {
            it->second.conflict = "is in the archive twice";
        } else {
            it->second.conflict = "is in the archive twice, as " + it->second.path + " and " +
                                  entry.path +
                                  ", and not at its top: which one is meant is "
                                  "not clear";
        }
    }
    return entries;
}

void Reply(char kind, std::string_view payload, unsigned long handle = 0) {
    unsigned char header[protocol::kHeaderBytes] = {static_cast<unsigned char>(kind)};
    protocol::PutNumber(header + 1, static_cast<std::uint32_t>(handle));
    protocol::PutNumber(header + 5, static_cast<std::uint32_t>(payload.size()));
    std::fwrite(header, 1, sizeof header, stdout);
    std::fwrite(payload.data(), 1, payload.size(), stdout);
    std::fflush(stdout);
}

std::string MethodName(zip_uint16_t method) {
    switch (method) {
        case ZIP_CM_BZIP2:
            return "bzip2";
        case ZIP_CM_LZMA:
            return "LZMA";
        case ZIP_CM_XZ:
            return "XZ";
        case ZIP_CM_DEFLATE64:
            return "Deflate64";
        default:
            return "method " + std::to_string(method);
    }
}

class Server {
  public:
    explicit Server(zip_t* archive) : m_archive(archive), m_entries(FeedEntries(archive)) {}
    ~Server() {
        for (const auto& [handle, file] : m_open) {
            zip_fclose(file);
        }
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void list() const {
        std::string names;
        for (const auto& [name, entry] : m_entries) {
            names += name + '\n';
        }
        Reply(protocol::kList, names);
    }
    void open(const std::string& name);
    void read(unsigned long handle, std::size_t max);
    void close(unsigned long handle) {
        if (const auto it = m_open.find(handle); it != m_open.end()) {
            zip_fclose(it->second);
            m_open.erase(it);
        }
    }

  private:
    std::string unreadable(const Entry& entry);

    zip_t* m_archive;
    std::map<std::string, Entry> m_entries;
    std::set<zip_uint64_t> m_checked;
    std::map<unsigned long, zip_file_t*> m_open;
    unsigned long m_next = 1;
};

// Why the entry cannot be handed out; empty when it can. Its data is read once to its end,
// where libzip compares the checksum, or to a line longer than the import reads: a line of
// nothing but commas that unpacks to gigabytes is refused by the import within its first
// MiB, and need not be unpacked whole first.
std::string Server::unreadable(const Entry& entry) {
    if (!entry.conflict.empty()) {
        return entry.conflict;
    }
    zip_stat_t stat;
    if (zip_stat_index(m_archive, entry.index, 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_COMP_METHOD) != 0 &&
        zip_compression_method_supported(stat.comp_method, 0) == 0) {
        return "is compressed with " + MethodName(stat.comp_method) +
               ", which this reader cannot unpack; pack the archive again with deflate";
    }
    if (m_checked.contains(entry.index)) {
        return {};
    }
    zip_file_t* file = zip_fopen_index(m_archive, entry.index, 0);
    if (file == nullptr) {
        return std::string("cannot be unpacked: ") + zip_strerror(m_archive);
    }
    static char scratch[protocol::kMaxPiece];
    zip_int64_t n = 0;
    std::size_t lineBytes = 0;  // since the last line break
    while ((n = zip_fread(file, scratch, sizeof scratch)) > 0) {
        const std::string_view piece(scratch, static_cast<std::size_t>(n));
        const std::size_t lastBreak = piece.rfind('\n');
        lineBytes = lastBreak == std::string_view::npos ? lineBytes + piece.size()
                                                        : piece.size() - lastBreak - 1;
        if (lineBytes > protocol::kLongestLine) {
            break;  // the import refuses the file at that line, before any check could matter
        }
    }
    const std::string reason = n < 0 ? std::string("cannot be unpacked: ") +
                                           zip_file_strerror(file) + " (the archive is damaged)"
                                     : std::string();
    zip_fclose(file);
    if (reason.empty()) {
        m_checked.insert(entry.index);
    }
    return reason;
}

void Server::open(const std::string& name) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end()) {
        Reply(protocol::kMissing, {});
        return;
    }
    if (const std::string reason = unreadable(it->second); !reason.empty()) {
        Reply(protocol::kFailed, reason);
        return;
    }
    zip_file_t* file = zip_fopen_index(m_archive, it->second.index, 0);
    if (file == nullptr) {
        Reply(protocol::kFailed, std::string("cannot be unpacked: ") + zip_strerror(m_archive));
        return;
    }
    m_open[m_next] = file;
    Reply(protocol::kOpened, std::to_string(m_next++));
}

void Server::read(unsigned long handle, std::size_t max) {
    const auto it = m_open.find(handle);
    if (it == m_open.end()) {
        Reply(protocol::kFailed, "no such open file", handle);
        return;
    }
    static char piece[protocol::kMaxPiece];
    const zip_int64_t n = zip_fread(it->second, piece, std::min(max, sizeof piece));
    if (n < 0) {
        Reply(protocol::kFailed,
              std::string("cannot be unpacked: ") + zip_file_strerror(it->second) +
                  " (the archive is damaged)",
              handle);
        return;
    }
    Reply(protocol::kData, std::string_view(piece, static_cast<std::size_t>(n)), handle);
}

// Opened with the consistency checks; an archive they refuse only because two entries share
// a name is opened without them, so that the import can say which name it is.
zip_t* OpenArchive(const char* path, std::string& reason) {
    int code = 0;
    zip_t* archive = zip_open(path, ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr && code == ZIP_ER_EXISTS) {
        archive = zip_open(path, ZIP_RDONLY, &code);
    }
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        reason =
            code == ZIP_ER_NOZIP ? "not a zip archive (nor a folder)" : zip_error_strerror(&error);
        zip_error_fini(&error);
    }
    return archive;
}

void Serve(Server& server) {
    char line[4096 + 8];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        std::string request(line);
        if (request.empty() || request.back() != '\n') {
            return;  // a name longer than any entry's, or the end of a cut request
        }
        request.pop_back();
        unsigned long handle = 0;
        std::size_t max = 0;
        if (request.starts_with("o ")) {
            server.open(request.substr(2));
        } else if (std::sscanf(request.c_str(), "r %lu %zu", &handle, &max) == 2) {
            server.read(handle, max);
        } else if (std::sscanf(request.c_str(), "c %lu", &handle) == 1) {
            server.close(handle);
        } else {
            Reply(protocol::kFailed, "unknown request");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: velomar-unzip ARCHIVE (requests on standard input)\n");
        return 2;
    }
    std::string reason;
    zip_t* archive = OpenArchive(argv[1], reason);
    if (archive == nullptr) {
        Reply(protocol::kFailed, reason);
        return 1;
    }
    {
        Server server(archive);
        server.list();
        Serve(server);
    }
    zip_discard(archive);
    return 0;
}
