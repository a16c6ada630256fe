// Builds without libzip read feeds from folders only.
#include "import/feed_source.h"
#include "platform/utf8.h"

namespace velomar {

bool ZipFeedsSupported() {
    return false;
}

std::unique_ptr<FeedSource> OpenZipFeed(const std::filesystem::path& path, std::string& error) {
    error = PathToUtf8(path) +
            ": this build reads GTFS feeds from folders only; unpack the zip archive into a "
            "folder and import that";
    return nullptr;
}

}  // namespace velomar
