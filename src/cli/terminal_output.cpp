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
bool continues(const char* begun, std::size_t size, unsigned char next) {
    if (next < 0x80 || next > 0xBF) {
        return false;
    }
    if (size != 1) {
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
    if (m_pendingSize > 0 && m_pending[0] == '\r') {
        const bool lineEnd = byte == '\n';
        flushPending(!lineEnd);
        if (lineEnd) {
            emit("\n", 1);
            return;
        }
    }
    if (m_expected > 0) {
        if (continues(m_pending, m_pendingSize, byte)) {
            m_pending[m_pendingSize++] = static_cast<char>(byte);
            if (m_pendingSize == m_expected) {
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
        m_pending[0] = '\r';
        m_pendingSize = 1;
        return;
    }
    if (const std::size_t length = sequenceLength(byte); length > 0) {
        m_pending[0] = static_cast<char>(byte);
        m_pendingSize = 1;
        m_expected = length;
        return;
    }
    const bool plain = (byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n';
    if (plain) {
        const char c = static_cast<char>(byte);
        emit(&c, 1);
    } else {
        escapeByte(byte);
    }
}

void TerminalOutput::flushPending(bool escape) {
    if (escape) {
        for (std::size_t i = 0; i < m_pendingSize; ++i) {
            escapeByte(static_cast<unsigned char>(m_pending[i]));
        }
    } else {
        emit(m_pending, m_pendingSize);
    }
    m_pendingSize = 0;
    m_expected = 0;
}

void TerminalOutput::emit(const char* bytes, std::size_t size) {
    if (m_failed || size == 0) {
        return;
    }
    const auto count = static_cast<std::streamsize>(size);
    errno = 0;
    if (m_target->sputn(bytes, count) != count) {
        noteFailure();
    }
}

void TerminalOutput::escapeByte(unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
    emit(escaped, 4);
}

}  // namespace velomar::cli
