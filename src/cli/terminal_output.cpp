#include "cli/terminal_output.h"

#include <cerrno>
#include <cstdio>

namespace velomar::cli {

namespace {

// The length of the sequence a lead byte starts; 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return 2;
    }
    if (byte >= 0xE0 && byte <= 0xEF) {
        return 3;
    }
    if (byte >= 0xF0 && byte <= 0xF4) {
        return 4;
    }
    return 0;
}

// Whether `next` may follow the bytes of `begun` in valid UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF).
bool continues(const std::string& begun, unsigned char next) {
    if (next < 0x80 || next > 0xBF) {
        return false;
    }
    if (begun.size() != 1) {
        return true;
    }
    const auto lead = static_cast<unsigned char>(begun[0]);
    switch (lead) {
        case 0xE0:
            return next >= 0xA0;
        case 0xED:
            return next <= 0x9F;
        case 0xF0:
            return next >= 0x90;
        case 0xF4:
            return next <= 0x8F;
        default:
            return true;
    }
}

}  // namespace

TerminalOutput::~TerminalOutput() {
    finish();
}

bool TerminalOutput::finish() {
    flushPending(true);
    sync();
    return !m_failed;
}

TerminalOutput::int_type TerminalOutput::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    take(static_cast<unsigned char>(traits_type::to_char_type(ch)));
    return m_failed ? traits_type::eof() : ch;
}

std::streamsize TerminalOutput::xsputn(const char* s, std::streamsize n) {
    for (std::streamsize i = 0; i < n; ++i) {
        take(static_cast<unsigned char>(s[i]));
    }
    // A failed target fails the stream, so a command stops writing to nowhere.
    return m_failed ? 0 : n;
}

int TerminalOutput::sync() {
    if (!m_failed && m_target != nullptr) {
        errno = 0;
        if (m_target->pubsync() != 0) {
            noteFailure();
        }
    }
    return m_failed ? -1 : 0;
}

void TerminalOutput::noteFailure() {
    m_failed = true;
    m_error = errno;
}

void TerminalOutput::take(unsigned char byte) {
    if (!m_pending.empty() && m_pending[0] == '\r') {
        const bool lineEnd = byte == '\n';
        flushPending(!lineEnd);
        if (lineEnd) {
            emit("\n");
            return;
        }
    }
    if (m_expected > 0) {
        if (continues(m_pending, byte)) {
            m_pending += static_cast<char>(byte);
            if (m_pending.size() == m_expected) {
                // U+0080..U+009F are the C1 controls; 8-bit terminals read them as CSI & co.
                const bool c1 = static_cast<unsigned char>(m_pending[0]) == 0xC2 &&
                                static_cast<unsigned char>(m_pending[1]) <= 0x9F;
                flushPending(c1);
            }
            return;
        }
        flushPending(true);
    }
    if (byte == '\r') {
        m_pending = "\r";
        return;
    }
    if (const std::size_t length = sequenceLength(byte); length > 0) {
        m_pending.assign(1, static_cast<char>(byte));
        m_expected = length;
        return;
    }
    const bool plain = (byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n';
    if (plain) {
        emit(std::string(1, static_cast<char>(byte)));
    } else {
        escapeByte(byte);
    }
}

void TerminalOutput::flushPending(bool escape) {
    if (escape) {
        for (const char c : m_pending) {
            escapeByte(static_cast<unsigned char>(c));
        }
    } else {
        emit(m_pending);
    }
    m_pending.clear();
    m_expected = 0;
}

void TerminalOutput::emit(const std::string& bytes) {
    if (m_failed || bytes.empty()) {
        return;
    }
    const auto size = static_cast<std::streamsize>(bytes.size());
    errno = 0;
    if (m_target->sputn(bytes.data(), size) != size) {
        noteFailure();
    }
}

void TerminalOutput::escapeByte(unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
    emit(escaped);
}

}  // namespace velomar::cli
