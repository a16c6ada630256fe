#pragma once

// The plain readers the tests (and the fuzzer) hold the program's piecewise reader against:
// the whole file decoded at once, then read one character per step. Written for clarity,
// not speed, and kept apart from the program so that the two stay independent.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/utf8.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_grid.h"

namespace velomar {

namespace plain_reader_detail {

inline std::uint8_t ByteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

inline void DecodeUtf16(std::string_view bytes, bool bigEndian, std::u16string& out) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned a = ByteAt(bytes, i);
        const unsigned b = ByteAt(bytes, i + 1);
        out.push_back(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
}

inline void DecodeUtf8(std::string_view bytes, std::u16string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes, i, code);
        if (length == 0) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        AppendUtf16(out, code);
        i += length;
    }
}

inline void FoldLineBreaks(std::u16string& text) {
    std::size_t write = 0;
    for (std::size_t read = 0; read < text.size(); ++read) {
        if (text[read] == u'\r' && read + 1 < text.size() && text[read + 1] == u'\n') {
            continue;
        }
        text[write++] = text[read];
    }
    text.resize(write);
}

}  // namespace plain_reader_detail

// The whole file's characters as the reader sees them: UTF-16 LE/BE after their byte-order
// mark, UTF-8 otherwise (a UTF-8 mark dropped), bad UTF-8 bytes as U+FFFD each, an odd last
// byte of UTF-16 dropped, CR LF as LF.
inline std::u16string DecodeTimetableText(std::string_view bytes) {
    using namespace plain_reader_detail;
    std::u16string text;
    if (bytes.size() >= 2 && ByteAt(bytes, 0) == 0xFF && ByteAt(bytes, 1) == 0xFE) {
        DecodeUtf16(bytes.substr(2), false, text);
    } else if (bytes.size() >= 2 && ByteAt(bytes, 0) == 0xFE && ByteAt(bytes, 1) == 0xFF) {
        DecodeUtf16(bytes.substr(2), true, text);
    } else if (bytes.size() >= 3 && ByteAt(bytes, 0) == 0xEF && ByteAt(bytes, 1) == 0xBB &&
               ByteAt(bytes, 2) == 0xBF) {
        DecodeUtf8(bytes.substr(3), text);
    } else {
        DecodeUtf8(bytes, text);
    }
    FoldLineBreaks(text);
    return text;
}

// The grid rules one character per step: TAB ends a cell (a TAB that follows no cell
// character stands for an empty cell, "9999"), "/" plus the next character ends a line, "="
// or the end of the text ends the file; four characters make a cell. Rows and columns beyond
// the grid are read but not stored.
inline void ReadTimetableText(std::u16string_view text, TimetableGrid& grid) {
    int row = 0;
    int column = 0;
    char16_t buffer[kCellLength];
    int length = 0;
    bool afterData = false;
    bool skipNext = false;
    auto append = [&](char16_t ch) {
        buffer[length++] = ch;
        if (length == kCellLength) {
            if (row < kGridRows && column < kGridColumns) {
                grid.setCell(row, column, {buffer, kCellLength});
            }
            if (column < kGridColumns) {
                ++column;
            }
            length = 0;
        }
    };
    std::size_t i = 0;
    while (i < text.size()) {
        char16_t ch = text[i++];
        if (skipNext) {
            if (i >= text.size()) {
                break;
            }
            ch = text[i++];
            skipNext = false;
        }
        if (ch == u'=') {
            break;
        }
        if (ch == u'\t') {
            if (!afterData) {
                for (char16_t nine : kNoTime) {
                    append(nine);
                }
            } else {
                afterData = false;
            }
            continue;
        }
        if (ch == u'/') {
            if (row < kGridRows) {
                ++row;
            }
            column = 0;
            length = 0;
            skipNext = true;
            continue;
        }
        afterData = true;
        append(ch);
    }
}

// A file's bytes whole, read through the reader's pieces; nothing when it cannot be opened
// or read. For tests and tools that compare files, never for timetable loads.
inline std::optional<std::string> ReadWholeFile(const FileReader& reader,
                                                const std::filesystem::path& path) {
    const std::unique_ptr<ByteSource> source = reader.openSource(path);
    if (!source) {
        return std::nullopt;
    }
    std::string bytes;
    char piece[4096];
    for (;;) {
        const auto n = source->read(piece, sizeof piece);
        if (!n) {
            return std::nullopt;
        }
        if (*n == 0) {
            return bytes;
        }
        bytes.append(piece, *n);
    }
}

}  // namespace velomar
