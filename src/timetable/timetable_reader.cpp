#include "timetable/timetable_reader.h"

#include <algorithm>
#include <cstring>

#include "timetable/text_decoding.h"

namespace velomar {

namespace {

constexpr bool IsCellCharacter(char16_t ch) {
    return ch != u'\t' && ch != u'/' && ch != u'=';
}

// Bytes asked of the file per read; with the decoded characters this stays on the stack.
constexpr std::size_t kPieceBytes = 4096;
// Bytes of an unfinished sequence carried to the next piece.
constexpr std::size_t kCarryBytes = 3;

}  // namespace

TextReadResult ReadTimetableCharacters(ByteSource& source, TimetableTextSink& sink) {
    char bytes[kPieceBytes + kCarryBytes];
    char16_t chars[kPieceBytes + kCarryBytes + 1];
    TimetableTextDecoder decoder;
    TextReadResult result;
    std::size_t kept = 0;
    for (;;) {
        const std::uint64_t room = kTimetableFileLimit - result.bytesRead;
        std::size_t got = 0;
        bool last = false;
        if (room == 0) {
            // One byte more tells a file that ends exactly at the limit from a longer one.
            char probe = 0;
            const auto n = source.read(&probe, 1);
            if (!n) {
                return {TextRead::Failed, result.bytesRead};
            }
            result.outcome = *n == 0 ? TextRead::Ended : TextRead::CutAtLimit;
            last = true;
        } else {
            const auto n = source.read(bytes + kept, std::min<std::uint64_t>(kPieceBytes, room));
            if (!n) {
                return {TextRead::Failed, result.bytesRead};
            }
            got = *n;
            result.bytesRead += got;
            last = got == 0;
        }
        const std::size_t available = kept + got;
        const auto step = decoder.decode({bytes, available}, last, chars);
        if (!sink.take({chars, step.written})) {
            return {TextRead::Stopped, result.bytesRead};
        }
        if (last) {
            return result;
        }
        kept = available - step.used;
        std::memmove(bytes, bytes + step.used, kept);
    }
}

// Rows and columns beyond the grid are not stored, so an oversized file cannot write outside
// it.
void TimetableTextReader::store() {
    if (m_row < kGridRows && m_column < kGridColumns) {
        m_grid.setCell(m_row, m_column, {m_buffer, kCellLength});
    }
    if (m_column < kGridColumns) {
        ++m_column;
    }
    m_length = 0;
}

void TimetableTextReader::append(char16_t ch) {
    m_buffer[m_length++] = ch;
    if (m_length == kCellLength) {
        store();
    }
}

bool TimetableTextReader::take(std::u16string_view chars) {
    const char16_t* p = chars.data();
    const char16_t* const end = p + chars.size();
    while (!m_ended && p != end) {
        if (m_skipNext) {
            // The line break after "/", whatever it is.
            m_skipNext = false;
            ++p;
            continue;
        }
        // Whole cells: four cell characters and their TAB store the cell and leave afterData
        // clear, exactly as the five single steps would.
        if (m_length == 0) {
            while (end - p >= kCellLength + 1 && p[kCellLength] == u'\t' && IsCellCharacter(p[0]) &&
                   IsCellCharacter(p[1]) && IsCellCharacter(p[2]) && IsCellCharacter(p[3])) {
                std::copy_n(p, kCellLength, m_buffer);
                store();
                m_afterData = false;
                p += kCellLength + 1;
            }
            if (p == end) {
                break;
            }
        }
        const char16_t ch = *p++;
        if (ch == u'=') {
            m_ended = true;
        } else if (ch == u'\t') {
            if (!m_afterData) {
                // An empty cell. After one to three characters of an unfinished cell this
                // completes that cell and the rest of the "9999" begins the next one.
                for (char16_t nine : kNoTime) {
                    append(nine);
                }
            } else {
                m_afterData = false;
            }
        } else if (ch == u'/') {
            ++m_row;
            m_column = 0;
            m_length = 0;
            m_skipNext = true;
            // Past the last row nothing more can be stored.
            m_ended = m_row == kGridRows;
        } else {
            m_afterData = true;
            append(ch);
        }
    }
    return !m_ended;
}

SourceLoad ReadTimetableSource(ByteSource& source, TimetableGrid& grid) {
    TimetableTextReader reader(grid);
    const TextReadResult read = ReadTimetableCharacters(source, reader);
    return read.outcome == TextRead::Failed ? SourceLoad::ReadFailed : SourceLoad::Loaded;
}

}  // namespace velomar
