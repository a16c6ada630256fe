#pragma once

// What velomar-cli prints goes through this filter on its way to the terminal: every control
// character that could start an escape sequence or move the cursor (C0 but TAB and LF, a CR
// not followed by LF, DEL, C1) and every byte that is not part of valid UTF-8 is printed as
// \xNN. The commands escape what came from outside themselves already; this makes sure that
// nothing they forgot reaches the terminal raw. It also remembers whether a write failed.

#include <cstddef>
#include <streambuf>

namespace velomar::cli {

class TerminalOutput : public std::streambuf {
  public:
    // A stream without a buffer (`target` null) fails every write.
    explicit TerminalOutput(std::streambuf* target)
        : m_target(target), m_failed(target == nullptr) {}
    ~TerminalOutput() override;
    TerminalOutput(const TerminalOutput&) = delete;
    TerminalOutput& operator=(const TerminalOutput&) = delete;

    // Passes everything held back (an unfinished sequence is escaped) and flushes the target;
    // false when any write to it failed since the start.
    bool finish();
    bool failed() const { return m_failed; }
    // The system's reason for the first failed write (errno), 0 when it gave none.
    int error() const { return m_error; }

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    void take(unsigned char byte);
    void flushPending(bool escape);
    void emit(const char* bytes, std::size_t size);
    void escapeByte(unsigned char byte);
    void noteFailure();

    std::streambuf* m_target;
    // A UTF-8 sequence begun, or a CR waiting for its LF. A plain array: GCC 12 warns wrongly
    // (-Wrestrict) about short std::string assignments here at -O2.
    char m_pending[4] = {};
    std::size_t m_pendingSize = 0;
    std::size_t m_expected = 0;
    bool m_failed = false;
    int m_error = 0;
};

}  // namespace velomar::cli
