#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace velomar {

// Where timetable bytes come from: the disk, or memory in tests and the fuzzer.
class FileReader {
  public:
    virtual ~FileReader() = default;
    // The whole file, or nothing when it cannot be opened or read (missing, a directory,
    // unreadable).
    virtual std::optional<std::string> readAll(const std::filesystem::path& path) const = 0;
};

class DiskFileReader : public FileReader {
  public:
    std::optional<std::string> readAll(const std::filesystem::path& path) const override;
};

class MemoryFileReader : public FileReader {
  public:
    void add(const std::filesystem::path& path, std::string bytes) {
        m_files[path.lexically_normal()] = std::move(bytes);
    }
    std::optional<std::string> readAll(const std::filesystem::path& path) const override;

  private:
    std::map<std::filesystem::path, std::string> m_files;
};

}  // namespace velomar
