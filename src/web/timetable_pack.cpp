#include "web/timetable_pack.h"

#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace velomar {

namespace {

constexpr std::string_view kHeader = "velomar-timetables 1\n";

std::optional<std::string_view> takeLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return line;
}

std::optional<std::size_t> decimal(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::size_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

// A plain relative name: no root, no "." or ".." part, no empty part, no NUL or backslash.
bool safeName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.back() == '/' ||
        name.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        end = end == std::string_view::npos ? name.size() : end;
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

PackInstall InstallTimetablePack(std::string_view pack, const std::filesystem::path& folder) {
    if (pack.substr(0, kHeader.size()) != kHeader) {
        return {false, 0, "not a timetable pack"};
    }
    std::string_view rest = pack.substr(kHeader.size());
    std::vector<std::pair<std::string_view, std::string_view>> files;
    while (!rest.empty()) {
        const auto name = takeLine(rest);
        const auto sizeText = name ? takeLine(rest) : std::nullopt;
        const auto size = sizeText ? decimal(*sizeText) : std::nullopt;
        if (!size || *size > rest.size()) {
            return {false, 0, "the pack is cut short"};
        }
        if (!safeName(*name)) {
            return {false, 0, "the pack names a file outside TimeData/: " + std::string(*name)};
        }
        files.emplace_back(*name, rest.substr(0, *size));
        rest.remove_prefix(*size);
    }
    for (const auto& [name, bytes] : files) {
        if (!writeFile(folder / "TimeData" / std::filesystem::path(name), bytes)) {
            return {false, 0, "cannot write " + std::string(name)};
        }
    }
    return {true, files.size(), {}};
}

}  // namespace velomar
