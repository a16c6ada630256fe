#include "cli/table_writer.h"

#include <algorithm>
#include <ostream>

#include "platform/utf8.h"

namespace velomar::cli {

int DisplayWidth(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text) {
        if (c >= 0xDC00 && c <= 0xDFFF) {
            continue;  // second half of a pair, counted with the first
        }
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

void PrintTable(std::ostream& out, const std::vector<std::vector<std::u16string>>& given) {
    // Cells escaped first, so a line break or TAB in one keeps the row on its line and the
    // columns line up with what is shown.
    std::vector<std::vector<std::u16string>> lines = given;
    for (auto& line : lines) {
        for (std::u16string& cell : line) {
            if (auto shown = FromUtf8(TerminalText(ToUtf8(cell)))) {
                cell = std::move(*shown);
            }
        }
    }
    std::vector<int> widths;
    for (const auto& line : lines) {
        widths.resize(std::max(widths.size(), line.size()), 0);
        for (std::size_t i = 0; i < line.size(); ++i) {
            widths[i] = std::max(widths[i], DisplayWidth(line[i]));
        }
    }
    for (const auto& line : lines) {
        std::string text;
        std::size_t end = 0;  // no padding after the last cell that holds text
        for (std::size_t i = 0; i < line.size(); ++i) {
            text += ToUtf8(line[i]);
            if (!line[i].empty()) {
                end = text.size();
            }
            if (i + 1 < line.size()) {
                text.append(static_cast<std::size_t>(widths[i] - DisplayWidth(line[i]) + 2), ' ');
            }
        }
        text.resize(end);
        out << text << '\n';
    }
}

}  // namespace velomar::cli
