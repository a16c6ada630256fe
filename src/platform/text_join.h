#pragma once

// Texts put together by appending pieces. GCC 12 warns falsely (-Wrestrict) at -O2 and above
// about "literal" + a std::string temporary, which inserts at the front; appending never does.

#include <initializer_list>
#include <string>
#include <string_view>

namespace velomar {

inline std::string JoinText(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts) {
        size += part.size();
    }
    std::string text;
    text.reserve(size);
    for (std::string_view part : parts) {
        text.append(part);
    }
    return text;
}

}  // namespace velomar
