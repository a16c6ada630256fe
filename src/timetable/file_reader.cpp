#include "timetable/file_reader.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace velomar {

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
