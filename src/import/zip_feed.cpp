// Feeds in zip archives, read through the velomar-unzip helper one file at a time: libzip is
// a shared library and velomar-cli is linked statically (see unzip_main.cpp).
#include "import/zip_feed.h"

#include <set>
#include <system_error>

#include "import/helper_process.h"
#include "platform/host.h"
#include "platform/utf8.h"

namespace velomar {

namespace {

std::string FirstLine(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "the zip reader failed" : line;
}

class ZipFeed : public FeedSource {
  public:
    ZipFeed(std::filesystem::path helper, std::filesystem::path archive,
            std::set<std::string> names)
        : m_helper(std::move(helper)), m_archive(std::move(archive)), m_names(std::move(names)) {}

    // A file that breaks off while it is read (damaged data, a wrong checksum) reads as an
    // error.
    std::unique_ptr<ByteSource> open(std::string_view name, std::string& error) const override {
        if (!m_names.contains(std::string(name))) {
            return nullptr;
        }
        auto output = HelperOutput::start(m_helper, {m_archive.string(), std::string(name)}, error);
        if (!output) {
            error = PathToUtf8(m_archive) + ": " + error;
        }
        return output;
    }

  private:
    std::filesystem::path m_helper;
    std::filesystem::path m_archive;
    std::set<std::string> m_names;
};

}  // namespace

bool ZipFeedsSupported() {
    return true;
}

std::filesystem::path ZipHelperPath() {
    const std::filesystem::path here = ExecutableDirectory();
    // Beside the executable in a build, in its own folder of libexec once installed.
    for (const std::filesystem::path& candidate :
         {here / kZipHelperName, here / VELOMAR_HELPERS_FROM_BIN / kZipHelperName}) {
        std::error_code code;
        if (!here.empty() && std::filesystem::is_regular_file(candidate, code)) {
            return candidate.lexically_normal();
        }
    }
    return {};
}

std::unique_ptr<FeedSource> OpenZipFeedWith(const std::filesystem::path& helper,
                                            const std::filesystem::path& path, std::string& error) {
    const std::string where = PathToUtf8(path) + ": ";
    if (helper.empty()) {
        error = where + "zip archives are read by " + std::string(kZipHelperName) +
                ", which is not installed beside velomar-cli; unpack the archive into a folder "
                "and import that";
        return nullptr;
    }
    auto list = HelperOutput::start(helper, {path.string()}, error);
    if (!list) {
        error = where + error;
        return nullptr;
    }
    std::string text;
    char piece[4096];
    std::optional<std::size_t> n;
    while ((n = list->read(piece, sizeof piece)) && *n > 0) {
        text.append(piece, *n);
    }
    if (!n) {
        error = where + FirstLine(list->messages());
        return nullptr;
    }
    std::set<std::string> names;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        names.insert(text.substr(at, end - at));
    }
    return std::make_unique<ZipFeed>(helper, path, std::move(names));
}

std::unique_ptr<FeedSource> OpenZipFeed(const std::filesystem::path& path, std::string& error) {
    return OpenZipFeedWith(ZipHelperPath(), path, error);
}

}  // namespace velomar
