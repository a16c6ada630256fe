#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

// An open file read front to back in pieces, so that a load holds one piece at a time.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Fills the front of the buffer with the next bytes and says how many: 0 at the end of
    // the file, nothing when reading failed. Never throws.
    virtual std::optional<std::size_t> read(char* buffer, std::size_t capacity) = 0;
    // Why the last read failed, in the words of whatever failed ("Input/output error", an
    // archive's "CRC error"); empty when the source cannot tell.
    virtual std::string failure() const { return {}; }
};

// Hands out the bytes of a text it does not own; the text must outlive the source.
class ViewByteSource : public ByteSource {
  public:
    explicit ViewByteSource(std::string_view bytes) : m_rest(bytes) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override;

  private:
    std::string_view m_rest;
};

// Where timetable bytes come from: the disk, or memory in tests and the fuzzer. Files are
// only ever read in pieces, so no file, however large, is held whole.
class FileReader {
  public:
    virtual ~FileReader() = default;
    // The file opened for reading, or nothing when it cannot be opened (missing, a directory
    // or anything else that is not a plain file, unreadable).
    virtual std::unique_ptr<ByteSource> openSource(const std::filesystem::path& path) const = 0;
    // Whether there is a plain file to open; listing a route's further sheets asks this.
    virtual bool exists(const std::filesystem::path& path) const {
        return openSource(path) != nullptr;
    }
    // The names of the plain files in a folder, sorted; none when it cannot be listed. The
    // check looks there for sheets that no reader reaches.
    virtual std::vector<std::string> fileNames(const std::filesystem::path&) const { return {}; }
};

class DiskFileReader : public FileReader {
  public:
    std::unique_ptr<ByteSource> openSource(const std::filesystem::path& path) const override;
    bool exists(const std::filesystem::path& path) const override;
    std::vector<std::string> fileNames(const std::filesystem::path& folder) const override;
};

class MemoryFileReader : public FileReader {
  public:
    void add(const std::filesystem::path& path, std::string bytes) {
        m_files[path.lexically_normal()] = std::move(bytes);
    }
    // Reads the stored bytes in place; adding files invalidates sources opened before.
    std::unique_ptr<ByteSource> openSource(const std::filesystem::path& path) const override;
    bool exists(const std::filesystem::path& path) const override {
        return m_files.count(path.lexically_normal()) != 0;
    }
    std::vector<std::string> fileNames(const std::filesystem::path& folder) const override;

  private:
    std::map<std::filesystem::path, std::string> m_files;
};

}  // namespace velomar
