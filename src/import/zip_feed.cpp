// Feeds in zip archives, read through one velomar-unzip helper per import: libzip is a
// shared library and velomar-cli is linked statically (see unzip_main.cpp).
#include "import/zip_feed.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <system_error>

#include "import/helper_process.h"
#include "import/zip_feed_protocol.h"
#include "platform/host.h"
#include "platform/utf8.h"

namespace velomar {

namespace {

namespace protocol = zip_protocol;

// The helper of one archive. Replies come in the order of the requests; each open file has
// at most one read waiting, so a piece that arrives for another file than the one waited
// for is kept for it, never more than one per file.
class ZipReader {
  public:
    struct Reply {
        char kind = 0;  // 0 when the helper cannot be reached (failure() says why)
        std::uint32_t handle = 0;
        std::size_t length = 0;
        std::string text;  // the payload, unless it went to `into`
    };

    explicit ZipReader(std::unique_ptr<HelperProcess> helper) : m_helper(std::move(helper)) {}

    bool request(const std::string& line) { return m_helper && m_helper->send(line + '\n'); }
    // The reply about `handle` (0: the list, or the answer to an open); a piece of that file
    // goes to `into`, which has room for the largest.
    Reply await(std::uint32_t handle, char* into = nullptr) {
        for (;;) {
            if (const auto it = m_kept.find(handle); it != m_kept.end()) {
                Reply reply = std::move(it->second);
                m_kept.erase(it);
                if (reply.kind == protocol::kData) {
                    std::copy(reply.text.begin(), reply.text.end(), into);
                }
                return reply;
            }
            Reply reply = next(handle, into);
            if (reply.kind == 0 || reply.handle == handle) {
                return reply;
            }
            if (m_open.contains(reply.handle)) {
                m_kept[reply.handle] = std::move(reply);
            }
        }
    }
    void opened(std::uint32_t handle) { m_open.insert(handle); }
    void closed(std::uint32_t handle) {
        m_open.erase(handle);
        m_kept.erase(handle);
        request("c " + std::to_string(handle));
    }
    std::string failure() const {
        const std::string why = m_helper ? m_helper->failure() : "answered out of turn";
        return "the zip reader " + std::string(kZipHelperName) + " " + why;
    }

  private:
    Reply next(std::uint32_t handle, char* into) {
        unsigned char header[protocol::kHeaderBytes];
        if (!m_helper || !m_helper->receive(reinterpret_cast<char*>(header), sizeof header)) {
            return {};
        }
        Reply reply{static_cast<char>(header[0]),
                    protocol::GetNumber(header + 1),
                    protocol::GetNumber(header + 5),
                    {}};
        const bool piece = reply.kind == protocol::kData;
        if (reply.length > (piece ? protocol::kMaxPiece : protocol::kMaxPayload)) {
            m_helper.reset();  // it no longer keeps to the protocol: end it
            return {};
        }
        if (!piece || reply.handle != handle || into == nullptr) {
            reply.text.resize(reply.length);
            into = reply.text.data();
        }
        return m_helper->receive(into, reply.length) ? reply : Reply{};
    }

    std::unique_ptr<HelperProcess> m_helper;
    std::set<std::uint32_t> m_open;
    std::map<std::uint32_t, Reply> m_kept;
};

// Asks for the next piece as soon as it has one, so the helper unpacks while the import
// reads.
class ZipEntrySource : public ByteSource {
  public:
    ZipEntrySource(std::shared_ptr<ZipReader> reader, std::uint32_t handle)
        : m_reader(std::move(reader)), m_handle(handle) {
        m_reader->opened(m_handle);
        askForMore();
    }
    ~ZipEntrySource() override { m_reader->closed(m_handle); }
    ZipEntrySource(const ZipEntrySource&) = delete;
    ZipEntrySource& operator=(const ZipEntrySource&) = delete;

    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        if (!m_failure.empty()) {
            return std::nullopt;  // no piece is on its way any more
        }
        if (m_at == m_size && !m_ended) {
            const ZipReader::Reply reply = m_reader->await(m_handle, m_piece.get());
            if (reply.kind != protocol::kData) {
                m_failure = reply.kind == protocol::kFailed ? reply.text : m_reader->failure();
                return std::nullopt;
            }
            m_size = reply.length;
            m_at = 0;
            m_ended = m_size == 0;
            if (!m_ended) {
                askForMore();
            }
        }
        const std::size_t n = std::min(capacity, m_size - m_at);
        std::copy_n(m_piece.get() + m_at, n, buffer);
        m_at += n;
        return n;
    }
    std::string failure() const override { return m_failure; }

  private:
    void askForMore() {
        m_reader->request("r " + std::to_string(m_handle) + " " +
                          std::to_string(protocol::kMaxPiece));
    }

    std::shared_ptr<ZipReader> m_reader;
    std::uint32_t m_handle;
    std::unique_ptr<char[]> m_piece{new char[protocol::kMaxPiece]};
    std::size_t m_size = 0;
    std::size_t m_at = 0;
    bool m_ended = false;
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
            reply = m_reader->await(0);
        }
        std::uint32_t handle = 0;
        const auto [end, failed] =
            std::from_chars(reply.text.data(), reply.text.data() + reply.text.size(), handle);
        if (reply.kind == protocol::kOpened && failed == std::errc() && handle != 0) {
            return std::make_unique<ZipEntrySource>(m_reader, handle);
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
    const ZipReader::Reply reply = reader->await(0);
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
