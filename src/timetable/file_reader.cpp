#include "timetable/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace velomar {

namespace {

// C stdio rather than a file stream: a stream buffer reports a failed system read (EIO, or
// a file such as /proc/self/mem that cannot be read at all) by throwing from deep inside
// the standard library, while fread reports it through ferror.
class FileByteSource : public ByteSource {
  public:
    explicit FileByteSource(const std::filesystem::path& path) {
#ifdef _WIN32
        m_file = _wfopen(path.c_str(), L"rb");
#else
        m_file = std::fopen(path.c_str(), "rb");
#endif
        // Unbuffered: every read asks the system for the caller's whole piece directly.
        if (m_file != nullptr) {
            std::setvbuf(m_file, nullptr, _IONBF, 0);
        }
    }
    ~FileByteSource() override {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool isOpen() const {
        return m_file != nullptr;
    }
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        // fread met the end already: asking the system again would only say so once more.
        if (std::feof(m_file)) {
            return 0;
        }
        errno = 0;
        const std::size_t n = std::fread(buffer, 1, capacity, m_file);
        if (n < capacity && std::ferror(m_file)) {
            m_errno = errno;
            return std::nullopt;
        }
        return n;
    }
    std::string failure() const override {
        return m_errno != 0 ? std::strerror(m_errno) : "";
    }

  private:
    std::FILE* m_file = nullptr;
    int m_errno = 0;
};

}  // namespace

std::optional<std::size_t> ViewByteSource::read(char* buffer, std::size_t capacity) {
    const std::size_t n = std::min(capacity, m_rest.size());
    std::copy_n(m_rest.data(), n, buffer);
    m_rest.remove_prefix(n);
    return n;
}

std::unique_ptr<ByteSource> DiskFileReader::openSource(const std::filesystem::path& path) const {
    // Named pipes and devices are refused before opening: opening a pipe would block.
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

bool DiskFileReader::exists(const std::filesystem::path& path) const {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::vector<std::string> DiskFileReader::fileNames(const std::filesystem::path& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> MemoryFileReader::fileNames(const std::filesystem::path& folder) const {
    std::vector<std::string> names;
    const std::filesystem::path normal = folder.lexically_normal();
    for (const auto& [path, bytes] : m_files) {
        if (path.parent_path() == normal) {
            names.push_back(path.filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<ByteSource> MemoryFileReader::openSource(const std::filesystem::path& path) const {
    const auto it = m_files.find(path.lexically_normal());
    if (it == m_files.end()) {
        return nullptr;
    }
    return std::make_unique<ViewByteSource>(it->second);
}

}  // namespace velomar
