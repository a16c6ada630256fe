#include "cli/json_text.h"

#include <cstdio>

#include "platform/utf8.h"

namespace velomar::cli {

// DEL and the C1 controls too: JSON allows them raw, but a terminal acts on U+009B.
std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (!control && c != u'"' && c != u'\\') {
            continue;
        }
        out += ToUtf8(text.substr(start, i - start));
        if (control) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += '\\';
            out += static_cast<char>(c);
        }
        start = i + 1;
    }
    return out + ToUtf8(text.substr(start)) + "\"";
}

}  // namespace velomar::cli
