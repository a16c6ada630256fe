// Feeds in zip archives, read with libzip one entry at a time.
#include <zip.h>

#include <map>

#include "import/feed_source.h"
#include "platform/utf8.h"

namespace velomar {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::shared_ptr<zip_t>;

class ZipEntrySource : public ByteSource {
  public:
    ZipEntrySource(Archive archive, zip_file_t* file)
        : m_archive(std::move(archive)), m_file(file) {}
    ~ZipEntrySource() override { zip_fclose(m_file); }
    ZipEntrySource(const ZipEntrySource&) = delete;
    ZipEntrySource& operator=(const ZipEntrySource&) = delete;

    // A damaged entry (bad data, wrong checksum at its end) reads as an error.
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        const zip_int64_t n = zip_fread(m_file, buffer, capacity);
        if (n < 0) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(n);
    }

  private:
    Archive m_archive;  // keeps the archive open while an entry is read
    zip_file_t* m_file;
};

class ZipFeed : public FeedSource {
  public:
    ZipFeed(Archive archive, std::string name) : m_archive(std::move(archive)), m_name(name) {
        // Feeds are often zipped with their folder: an entry "gtfs/stops.txt" serves as
        // stops.txt when the archive has no stops.txt at its top.
        const zip_int64_t count = zip_get_num_entries(m_archive.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* entry = zip_get_name(m_archive.get(), static_cast<zip_uint64_t>(i), 0);
            if (entry == nullptr) {
                continue;
            }
            const std::string_view path(entry);
            const std::size_t slash = path.rfind('/');
            const std::string base(slash == std::string_view::npos ? path : path.substr(slash + 1));
            const bool top = slash == std::string_view::npos;
            auto [it, added] =
                m_entries.try_emplace(base, Entry{static_cast<zip_uint64_t>(i), top});
            if (!added && top && !it->second.top) {
                it->second = Entry{static_cast<zip_uint64_t>(i), top};
            }
        }
    }

    std::unique_ptr<ByteSource> open(std::string_view name, std::string& error) const override {
        const auto it = m_entries.find(std::string(name));
        if (it == m_entries.end()) {
            return nullptr;
        }
        zip_file_t* file = zip_fopen_index(m_archive.get(), it->second.index, 0);
        if (file == nullptr) {
            error = m_name + ": " + std::string(name) +
                    " cannot be read from the archive: " + zip_strerror(m_archive.get());
            return nullptr;
        }
        return std::make_unique<ZipEntrySource>(m_archive, file);
    }

  private:
    struct Entry {
        zip_uint64_t index;
        bool top;
    };
    Archive m_archive;
    std::string m_name;
    std::map<std::string, Entry> m_entries;
};

}  // namespace

bool ZipFeedsSupported() {
    return true;
}

std::unique_ptr<FeedSource> OpenZipFeed(const std::filesystem::path& path, std::string& error) {
    int code = 0;
    zip_t* archive = zip_open(PathToUtf8(path).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, code);
        const std::string reason =
            code == ZIP_ER_NOZIP ? "not a zip archive (nor a folder)" : zip_error_strerror(&detail);
        zip_error_fini(&detail);
        error = PathToUtf8(path) + ": " + reason;
        return nullptr;
    }
    return std::make_unique<ZipFeed>(Archive(archive, ArchiveCloser()), PathToUtf8(path));
}

}  // namespace velomar
