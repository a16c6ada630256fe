#pragma once

// A helper program run as a child process, its standard output read as a stream of bytes
// (POSIX only). What it writes to its standard error is kept for the message of a failure.

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "timetable/file_reader.h"

namespace velomar {

class HelperOutput : public ByteSource {
  public:
    // Starts `program` with `arguments`; nothing (error set) when it cannot be started.
    static std::unique_ptr<HelperOutput> start(const std::filesystem::path& program,
                                               const std::vector<std::string>& arguments,
                                               std::string& error);
    ~HelperOutput() override;
    HelperOutput(const HelperOutput&) = delete;
    HelperOutput& operator=(const HelperOutput&) = delete;

    // The next bytes; 0 at the end when the helper exited with status 0, nothing when
    // reading failed or the helper ended with any other status.
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override;

    // Once the output has been read to its end: the helper's exit status (-1 when a signal
    // ended it) and what it wrote to its standard error.
    int status() const { return m_status; }
    const std::string& messages() const { return m_messages; }

  private:
    HelperOutput(pid_t pid, int output, int messages)
        : m_pid(pid), m_output(output), m_messagesFd(messages) {}
    void finish();

    pid_t m_pid;
    int m_output;
    int m_messagesFd;
    bool m_finished = false;
    int m_status = -1;
    std::string m_messages;
};

}  // namespace velomar
