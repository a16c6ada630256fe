#include "import/csv_reader.h"

#include "platform/utf8.h"

namespace velomar {

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes, i, code);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

CsvReader::CsvReader(std::unique_ptr<ByteSource> source, std::string fileName)
    : m_source(std::move(source)), m_fileName(std::move(fileName)), m_buffer(kPieceBytes) {}

bool CsvReader::fill() {
    if (m_eof) {
        return false;
    }
    const auto n = m_source->read(m_buffer.data(), m_buffer.size());
    if (!n) {
        m_eof = true;
        return readFailed();
    }
    m_at = 0;
    m_end = *n;
    if (*n == 0) {
        m_eof = true;
        return false;
    }
    if (!m_started) {
        m_started = true;
        // A source may hand out fewer bytes than a byte order mark has.
        while (m_end < 3) {
            const auto more = m_source->read(m_buffer.data() + m_end, m_buffer.size() - m_end);
            if (!more) {
                m_eof = true;
                return readFailed();
            }
            if (*more == 0) {
                break;
            }
            m_end += *more;
        }
        if (m_end >= 3 && m_buffer[0] == '\xEF' && m_buffer[1] == '\xBB' && m_buffer[2] == '\xBF') {
            m_at = 3;
        }
        return m_at < m_end || fill();
    }
    return true;
}

bool CsvReader::fail(long line, std::string_view text) {
    if (m_error.empty()) {
        m_error = m_fileName + ":" + std::to_string(line) + ": " + std::string(text);
    }
    return false;
}

// The source's own reason, when it has one, says more than that the read failed.
bool CsvReader::readFailed() {
    const std::string reason = m_source->failure();
    return fail(m_line, "the file cannot be read to its end" +
                            (reason.empty() ? std::string() : ": " + reason));
}

bool CsvReader::countByte(bool quoted) {
    return ++m_recordBytes <= kMaxRecordBytes ||
           fail(m_recordLine, quoted ? "a record longer than 1 MiB (is a quote left open?)"
                                     : "a record longer than 1 MiB");
}

// Each field by itself: a sequence split by a comma is no character of either field.
bool CsvReader::finishRecord() {
    m_ends.push_back(static_cast<std::uint32_t>(m_record.size()));
    for (std::size_t i = 0; i < m_ends.size(); ++i) {
        const std::string_view text = field(i);
        if (!IsValidUtf8(text)) {
            return fail(m_recordLine, "the text is not UTF-8");
        }
        if (text.find("\xEF\xBB\xBF") != std::string_view::npos) {
            return fail(m_recordLine,
                        "a byte order mark (U+FEFF) in the middle of the file (were two files "
                        "joined?)");
        }
    }
    return true;
}

// A CR outside quotes must start a CR LF; a file of CR-only line ends would otherwise read
// as one long line and fail far from its cause. A CR as the last byte of the file passes.
bool CsvReader::lineEndAfterCr() {
    if (m_at == m_end && !fill()) {
        return m_error.empty();
    }
    return m_buffer[m_at] == '\n' ||
           fail(m_line,
                "the file uses CR-only line ends (a CR without LF); save it with LF or "
                "CR LF line ends");
}

// Fields are collected into one string; a state machine over the bytes decides where each
// ends. Only the record being read is held, and never more than the record limit of it.
bool CsvReader::next() {
    m_record.clear();
    m_ends.clear();
    if (!m_error.empty()) {
        return false;
    }
    State state = State::FieldStart;
    bool any = false;  // the line holds something, so its end closes a record
    m_recordLine = m_line;
    m_recordBytes = 0;
    for (;;) {
        if (m_at == m_end && !fill()) {
            if (!m_error.empty()) {
                return false;
            }
            if (state == State::Quoted) {
                return fail(m_recordLine,
                            "a quoted field is not closed before the end of the file");
            }
            return any && finishRecord();
        }
        const char c = m_buffer[m_at++];
        if ((state == State::Quoted || state == State::QuoteInQuoted) && inQuotes(c, state)) {
            if (!countByte(true)) {
                return false;
            }
            continue;
        }
        if (c == '\n') {
            ++m_line;
            if (any) {
                return finishRecord();
            }
            m_recordLine = m_line;
            m_recordBytes = 0;
            continue;
        }
        if (c == '\r') {
            if (!lineEndAfterCr()) {
                return false;
            }
            continue;  // a CR LF ends the line at the LF
        }
        if (!countByte(false)) {
            return false;
        }
        any = true;
        if (c == ',') {
            m_ends.push_back(static_cast<std::uint32_t>(m_record.size()));
            state = State::FieldStart;
        } else if (c == '"' && state == State::FieldStart) {
            state = State::Quoted;
        } else {
            m_record += c;
            state = State::Plain;
        }
    }
}

// A character inside quotes or right after a closing one; false when it is to be read as
// outside them (what follows a closing quote belongs to the field as it stands).
bool CsvReader::inQuotes(char c, State& state) {
    if (state == State::Quoted) {
        if (c == '"') {
            state = State::QuoteInQuoted;
        } else {
            m_line += c == '\n' ? 1 : 0;
            m_record += c;
        }
        return true;
    }
    if (c == '"') {
        m_record += '"';  // a doubled quote
        state = State::Quoted;
        return true;
    }
    state = State::Plain;
    return false;
}

std::string_view CsvReader::field(std::size_t i) const {
    if (i >= m_ends.size()) {
        return {};
    }
    const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
    return std::string_view(m_record).substr(begin, m_ends[i] - begin);
}

CsvTable::CsvTable(std::unique_ptr<ByteSource> source, std::string fileName)
    : m_reader(std::move(source), std::move(fileName)) {}

bool CsvTable::start(const std::vector<std::string_view>& required) {
    if (!m_reader.next()) {
        if (m_reader.error().empty()) {
            m_error = m_reader.fileName() + ":1: the file is empty (no header row)";
        }
        return false;
    }
    for (std::size_t i = 0; i < m_reader.size(); ++i) {
        m_header.emplace_back(TrimBlanks(m_reader.field(i)));
    }
    for (std::string_view name : required) {
        if (!column(name)) {
            m_error = m_reader.fileName() + ":1: no column '" + std::string(name) + "'";
            return false;
        }
    }
    return true;
}

bool CsvTable::next() {
    while (m_reader.next()) {
        for (std::size_t i = 0; i < m_reader.size(); ++i) {
            if (!TrimBlanks(m_reader.field(i)).empty()) {
                return true;
            }
        }
    }
    return false;
}

std::optional<std::size_t> CsvTable::column(std::string_view name) const {
    for (std::size_t i = 0; i < m_header.size(); ++i) {
        if (m_header[i] == name) {
            return i;
        }
    }
    return std::nullopt;
}

std::string CsvTable::where(std::string_view text) const {
    return fileName() + ":" + std::to_string(line()) + ": " + std::string(text);
}

std::string_view TrimBlanks(std::string_view text) {
    auto blankAt = [&](std::size_t at, bool front) -> std::size_t {
        const std::string_view rest = front ? text.substr(at) : text.substr(0, at);
        for (std::string_view blank : {" ", "\t", "\xC2\xA0", "\xE3\x80\x80"}) {
            if (front ? rest.starts_with(blank) : rest.ends_with(blank)) {
                return blank.size();
            }
        }
        return 0;
    };
    while (const std::size_t n = blankAt(0, true)) {
        text.remove_prefix(n);
    }
    while (const std::size_t n = blankAt(text.size(), false)) {
        text.remove_suffix(n);
    }
    return text;
}

}  // namespace velomar
