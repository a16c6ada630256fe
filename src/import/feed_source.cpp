#include "import/feed_source.h"

#include <system_error>

#include "platform/utf8.h"

namespace velomar {

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
    return OpenZipFeed(path, error);
}

}  // namespace velomar
