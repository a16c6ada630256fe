// Feeds in zip archives, read through one velomar-unzip helper per import: libzip is a
// shared library and velomar-cli is linked statically (see unzip_main.cpp).
#include "import/zip_feed.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "import/helper_process.h"
#include "import/zip_feed_protocol.h"
#include "platform/host.h"
#include "platform/utf8.h"

namespace velomar {

namespace {

namespace protocol = zip_protocol;

// The helper of one archive. Requests and replies alternate, so any number of files may be
// open at once, each read in turn.
class ZipReader {
  public:
    explicit ZipReader(std::unique_ptr<HelperProcess> helper) : m_helper(std::move(helper)) {}

    struct Reply {
        char kind = 0;  // 0 when the helper cannot be reached (failure() says why)
        std::size_t length = 0;
        std::string text;  // the payload of anything but Data
    };
    // The next reply; Data lands in `into`, which has room for `room` bytes.
    Reply receive(char* into = nullptr, std::size_t room = 0) {
        unsigned char header[protocol::kHeaderBytes];
        if (!m_helper || !m_helper->receive(reinterpret_cast<char*>(header), sizeof header)) {
            return {};
        }
        Reply reply{static_cast<char>(header[0]), protocol::GetLength(header + 1), {}};
        const bool data = reply.kind == protocol::kData;
        if (reply.length > protocol::kMaxPayload || (data && reply.length > room)) {
            m_helper.reset();  // it no longer keeps to the protocol: end it
            return {};
        }
        if (!data) {
            reply.text.resize(reply.length);
            into = reply.text.data();
        }
        if (!m_helper->receive(into, reply.length)) {
            return {};
        }
        return reply;
    }
    bool request(const std::string& line) { return m_helper && m_helper->send(line + '\n'); }
    std::string failure() const {
        const std::string why = m_helper ? m_helper->failure() : "answered out of turn";
        return "the zip reader " + std::string(kZipHelperName) + " " + why;
    }

  private:
    std::unique_ptr<HelperProcess> m_helper;
};

class ZipEntrySource : public ByteSource {
  public:
    ZipEntrySource(std::shared_ptr<ZipReader> reader, std::string handle)
        : m_reader(std::move(reader)), m_handle(std::move(handle)) {}
    ~ZipEntrySource() override { m_reader->request("c " + m_handle); }
    ZipEntrySource(const ZipEntrySource&) = delete;
    ZipEntrySource& operator=(const ZipEntrySource&) = delete;

    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        const std::size_t max = std::min(capacity, protocol::kMaxPiece);
        ZipReader::Reply reply;
        if (m_reader->request("r " + m_handle + " " + std::to_string(max))) {
            reply = m_reader->receive(buffer, max);
        }
        if (reply.kind == protocol::kData) {
            return reply.length;
        }
        m_failure = reply.kind == protocol::kFailed ? reply.text : m_reader->failure();
        return std::nullopt;
    }
    std::string failure() const override { return m_failure; }

  private:
    std::shared_ptr<ZipReader> m_reader;
    std::string m_handle;
    std::string m_failure;
};

class ZipFeed : public FeedSource {
  public:
    ZipFeed(std::shared_ptr<ZipReader> reader, std::filesystem::path archive,
            std::set<std::string> names)
        : m_reader(std::move(reader)), m_archive(std::move(archive)), m_names(std::move(names)) {}

    // A file that is damaged, packed in a way the reader cannot unpack or named twice is
    // refused here with the archive's own reason, before any of its bytes are read.
    std::unique_ptr<ByteSource> open(std::string_view name, std::string& error) const override {
        if (!m_names.contains(std::string(name))) {
            return nullptr;
        }
        ZipReader::Reply reply;
        if (m_reader->request("o " + std::string(name))) {
            reply = m_reader->receive();
        }
        if (reply.kind == protocol::kOpened) {
            return std::make_unique<ZipEntrySource>(m_reader, reply.text);
        }
        if (reply.kind != protocol::kMissing) {
            error = PathToUtf8(m_archive) + ": " +
                    (reply.kind == protocol::kFailed ? std::string(name) + " " + reply.text
                                                     : m_reader->failure());
        }
        return nullptr;
    }

  private:
    std::shared_ptr<ZipReader> m_reader;
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
    auto process = HelperProcess::start(helper, {path.string()}, error);
    if (!process) {
        error = where + error;
        return nullptr;
    }
    auto reader = std::make_shared<ZipReader>(std::move(process));
    const ZipReader::Reply reply = reader->receive();
    if (reply.kind != protocol::kList) {
        error = where + (reply.kind == protocol::kFailed ? reply.text : reader->failure());
        return nullptr;
    }
    const std::string& list = reply.text;
    std::set<std::string> names;
    for (std::size_t at = 0, end; (end = list.find('\n', at)) != std::string::npos; at = end + 1) {
        names.insert(list.substr(at, end - at));
    }
    return std::make_unique<ZipFeed>(std::move(reader), path, std::move(names));
}

std::unique_ptr<FeedSource> OpenZipFeed(const std::filesystem::path& path, std::string& error) {
    return OpenZipFeedWith(ZipHelperPath(), path, error);
}

}  // namespace velomar
