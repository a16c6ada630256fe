#include "timetable/text_decoding.h"

#include <cstdint>

#include "platform/utf8.h"

namespace velomar {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::uint8_t byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// Writes decoded characters, folding CR LF into LF across calls.
class FoldingWriter {
  public:
    FoldingWriter(char16_t* out, bool& pendingCr) : m_out(out), m_pendingCr(pendingCr) {}
    void put(char16_t ch) {
        if (m_pendingCr) {
            m_pendingCr = false;
            if (ch != u'\n') {
                m_out[m_written++] = u'\r';
            }
        }
        if (ch == u'\r') {
            m_pendingCr = true;
            return;
        }
        m_out[m_written++] = ch;
    }
    // Copies plain ASCII other than CR as it stands: nearly every byte of a timetable.
    void putAsciiRun(std::string_view bytes, std::size_t& i) {
        if (m_pendingCr) {
            return;
        }
        std::size_t written = m_written;
        while (i < bytes.size()) {
            const std::uint8_t b = byteAt(bytes, i);
            if (b >= 0x80 || b == '\r') {
                break;
            }
            m_out[written++] = b;
            ++i;
        }
        m_written = written;
    }
    void putCode(char32_t code) {
        if (code >= 0x10000) {
            code -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (code >> 10)));
            put(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            put(static_cast<char16_t>(code));
        }
    }
    void finish() {
        if (m_pendingCr) {
            m_pendingCr = false;
            m_out[m_written++] = u'\r';
        }
    }
    std::size_t written() const { return m_written; }

  private:
    char16_t* m_out;
    bool& m_pendingCr;
    std::size_t m_written = 0;
};

// Decodes UTF-8 from bytes[i]; returns where it stopped.
std::size_t decodeUtf8(std::string_view bytes, std::size_t i, bool last, FoldingWriter& writer) {
    while (i < bytes.size()) {
        writer.putAsciiRun(bytes, i);
        if (i == bytes.size()) {
            break;
        }
        if (byteAt(bytes, i) < 0x80) {
            writer.put(static_cast<char16_t>(bytes[i]));
            ++i;
            continue;
        }
        // A sequence is at most four bytes: with fewer left, wait for the next piece.
        if (!last && bytes.size() - i < 4) {
            break;
        }
        char32_t code = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes, i, code);
        if (length == 0) {
            writer.put(kReplacement);
            ++i;
            continue;
        }
        writer.putCode(code);
        i += length;
    }
    return i;
}

std::size_t decodeUtf16(std::string_view bytes, std::size_t i, bool last, bool bigEndian,
                        FoldingWriter& writer) {
    for (; i + 1 < bytes.size(); i += 2) {
        const unsigned a = byteAt(bytes, i);
        const unsigned b = byteAt(bytes, i + 1);
        writer.put(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return last ? bytes.size() : i;  // an odd trailing byte is dropped
}

}  // namespace

TimetableTextDecoder::Step TimetableTextDecoder::decode(std::string_view bytes, bool last,
                                                        char16_t* out) {
    std::size_t i = 0;
    if (m_encoding == Encoding::Unknown) {
        // The byte-order mark is judged on the first three bytes, as for a whole file.
        if (bytes.size() < 3 && !last) {
            return {};
        }
        if (bytes.size() >= 2 && byteAt(bytes, 0) == 0xFF && byteAt(bytes, 1) == 0xFE) {
            m_encoding = Encoding::Utf16Le;
            i = 2;
        } else if (bytes.size() >= 2 && byteAt(bytes, 0) == 0xFE && byteAt(bytes, 1) == 0xFF) {
            m_encoding = Encoding::Utf16Be;
            i = 2;
        } else if (bytes.size() >= 3 && byteAt(bytes, 0) == 0xEF && byteAt(bytes, 1) == 0xBB &&
                   byteAt(bytes, 2) == 0xBF) {
            m_encoding = Encoding::Utf8;
            i = 3;
        } else {
            m_encoding = Encoding::Utf8;
        }
    }
    FoldingWriter writer(out, m_pendingCr);
    i = m_encoding == Encoding::Utf8
            ? decodeUtf8(bytes, i, last, writer)
            : decodeUtf16(bytes, i, last, m_encoding == Encoding::Utf16Be, writer);
    if (last) {
        writer.finish();
    }
    return {i, writer.written()};
}

}  // namespace velomar
