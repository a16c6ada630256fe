#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velomar {

// Turns the bytes of a timetable file, as they arrive in pieces, into the characters the
// reader sees, in text mode: UTF-16 LE/BE with a byte-order mark, UTF-8 with or without one
// (plain ASCII is UTF-8). A CR LF pair becomes one LF. Bytes that are not valid UTF-8 become
// U+FFFD each; an odd trailing byte of UTF-16 is dropped. However the bytes are split, the
// characters are the same.
class TimetableTextDecoder {
  public:
    struct Step {
        std::size_t used = 0;     // bytes taken from the front of the piece
        std::size_t written = 0;  // characters written
    };

    // Decodes the front of `bytes` into `out`, which has room for bytes.size() + 1
    // characters. Unless `last` says that no bytes follow, up to three bytes that may start an
    // unfinished sequence are left unused; the next call's bytes must begin with them.
    Step decode(std::string_view bytes, bool last, char16_t* out);

  private:
    enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be };
    Encoding m_encoding = Encoding::Unknown;
    bool m_pendingCr = false;  // a CR whose next character decides whether it stays
};

}  // namespace velomar
