#pragma once

#include <string>
#include <string_view>

namespace velomar {

// Turns the bytes of a timetable file into the characters the reader sees, in text mode:
// UTF-16 LE/BE with a byte-order mark, UTF-8 with or without one (plain ASCII is UTF-8).
// A CR LF pair becomes one LF. Bytes that are not valid UTF-8 become U+FFFD each; an odd
// trailing byte of UTF-16 is dropped.
std::u16string DecodeTimetableText(std::string_view bytes);

}  // namespace velomar
