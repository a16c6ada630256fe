#include "import/feed_source.h"

#include <system_error>

#include "platform/utf8.h"

namespace velomar {

namespace {

std::string KindOf(std::filesystem::file_status status) {
    switch (status.type()) {
        case std::filesystem::file_type::fifo:
            return "a named pipe";
        case std::filesystem::file_type::character:
            return "a character device";
        case std::filesystem::file_type::block:
            return "a block device";
        case std::filesystem::file_type::socket:
            return "a socket";
        default:
            return "not a plain file";
    }
}

}  // namespace

std::unique_ptr<ByteSource> FolderFeed::open(std::string_view name, std::string& error) const {
    auto source = m_reader.openSource(m_folder / std::string(name));
    if (!source) {
        // Tell a file that is there but unreadable from one that is missing.
        std::error_code code;
        const std::filesystem::path path = m_folder / std::string(name);
        if (std::filesystem::exists(path, code)) {
            error = std::string(name) + ": cannot be opened for reading";
        }
    }
    return source;
}

std::unique_ptr<FeedSource> OpenFeed(const std::filesystem::path& path, std::string& error) {
    static const DiskFileReader disk;
    std::error_code code;
    const auto status = std::filesystem::status(path, code);
    if (std::filesystem::is_directory(status)) {
        return std::make_unique<FolderFeed>(disk, path);
    }
    if (!std::filesystem::exists(status)) {
        error = PathToUtf8(path) + ": no such file or folder";
        return nullptr;
    }
    // A zip archive is read where its directory is, at its end: a pipe or a device has none.
    if (!std::filesystem::is_regular_file(status)) {
        error = PathToUtf8(path) + " is " + KindOf(status) + ", not a zip archive or a folder";
        return nullptr;
    }
    return OpenZipFeed(path, error);
}

}  // namespace velomar
