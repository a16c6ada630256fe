#include "timetable/file_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace velomar {

namespace {

// Keeps the whole file when a reader can only give it whole.
class OwningByteSource : public ByteSource {
  public:
    explicit OwningByteSource(std::string bytes) : m_bytes(std::move(bytes)), m_view(m_bytes) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        return m_view.read(buffer, capacity);
    }

  private:
    std::string m_bytes;
    ViewByteSource m_view;
};

class FileByteSource : public ByteSource {
  public:
    explicit FileByteSource(const std::filesystem::path& path) {
        // Unbuffered: every read asks the system for the caller's whole piece directly, and
        // no stream buffer is allocated per file.
        m_in.rdbuf()->pubsetbuf(nullptr, 0);
        m_in.open(path, std::ios::binary);
    }
    bool isOpen() const { return m_in.is_open(); }
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        // The stream buffer reports a failed system read by throwing.
        try {
            const std::streamsize n =
                m_in.rdbuf()->sgetn(buffer, static_cast<std::streamsize>(capacity));
            if (n < 0) {
                return std::nullopt;
            }
            return static_cast<std::size_t>(n);
        } catch (const std::ios_base::failure&) {
            return std::nullopt;
        }
    }

  private:
    std::ifstream m_in;
};

}  // namespace

std::optional<std::size_t> ViewByteSource::read(char* buffer, std::size_t capacity) {
    const std::size_t n = std::min(capacity, m_rest.size());
    std::copy_n(m_rest.data(), n, buffer);
    m_rest.remove_prefix(n);
    return n;
}

std::unique_ptr<ByteSource> FileReader::openSource(const std::filesystem::path& path) const {
    auto bytes = readAll(path);
    if (!bytes) {
        return nullptr;
    }
    return std::make_unique<OwningByteSource>(std::move(*bytes));
}

std::unique_ptr<ByteSource> DiskFileReader::openSource(const std::filesystem::path& path) const {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return nullptr;
    }
    auto source = std::make_unique<FileByteSource>(path);
    if (!source->isOpen()) {
        return nullptr;
    }
    return source;
}

std::unique_ptr<ByteSource> MemoryFileReader::openSource(const std::filesystem::path& path) const {
    const auto it = m_files.find(path.lexically_normal());
    if (it == m_files.end()) {
        return nullptr;
    }
    return std::make_unique<ViewByteSource>(it->second);
}

std::optional<std::string> DiskFileReader::readAll(const std::filesystem::path& path) const {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> MemoryFileReader::readAll(const std::filesystem::path& path) const {
    const auto it = m_files.find(path.lexically_normal());
    if (it == m_files.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace velomar
