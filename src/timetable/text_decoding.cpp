#include "timetable/text_decoding.h"

#include <cstdint>

#include "platform/utf8.h"

namespace velomar {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::uint8_t byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

void decodeUtf16(std::string_view bytes, bool bigEndian, std::u16string& out) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned a = byteAt(bytes, i);
        const unsigned b = byteAt(bytes, i + 1);
        out.push_back(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
}

void decodeUtf8(std::string_view bytes, std::u16string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // The common case by far: digits, TAB, "/", "=" and line breaks.
        if (byteAt(bytes, i) < 0x80) {
            out.push_back(static_cast<char16_t>(bytes[i]));
            ++i;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes, i, code);
        if (length == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendUtf16(out, code);
        i += length;
    }
}

void foldLineBreaks(std::u16string& text) {
    std::size_t write = 0;
    for (std::size_t read = 0; read < text.size(); ++read) {
        if (text[read] == u'\r' && read + 1 < text.size() && text[read + 1] == u'\n') {
            continue;
        }
        text[write++] = text[read];
    }
    text.resize(write);
}

}  // namespace

std::u16string DecodeTimetableText(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    if (bytes.size() >= 2 && byteAt(bytes, 0) == 0xFF && byteAt(bytes, 1) == 0xFE) {
        decodeUtf16(bytes.substr(2), false, text);
    } else if (bytes.size() >= 2 && byteAt(bytes, 0) == 0xFE && byteAt(bytes, 1) == 0xFF) {
        decodeUtf16(bytes.substr(2), true, text);
    } else if (bytes.size() >= 3 && byteAt(bytes, 0) == 0xEF && byteAt(bytes, 1) == 0xBB &&
               byteAt(bytes, 2) == 0xBF) {
        decodeUtf8(bytes.substr(3), text);
    } else {
        decodeUtf8(bytes, text);
    }
    foldLineBreaks(text);
    return text;
}

}  // namespace velomar
