#include "cli/json_text.h"

#include <cstdio>

#include "platform/utf8.h"

namespace velomar::cli {

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace velomar::cli
