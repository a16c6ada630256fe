#pragma once

// File readers for fault injection: one whose reads fail on demand, one whose files never end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "timetable/file_reader.h"

namespace velomar::testing_support {

// Passes another reader's files on in pieces of at most `piece` bytes, and makes read number
// `failOn` (1-based, counted over every file opened) fail as a disk read error would. 0 never
// fails.
class FailingFileReader : public FileReader {
  public:
    FailingFileReader(const FileReader& inner, std::size_t failOn, std::size_t piece = 4096)
        : m_inner(inner), m_failOn(failOn), m_piece(piece) {}

    std::unique_ptr<ByteSource> openSource(const std::filesystem::path& path) const override {
        auto source = m_inner.openSource(path);
        if (!source) {
            return nullptr;
        }
        return std::make_unique<Source>(std::move(source), *this);
    }
    std::size_t reads() const { return m_reads; }
    std::size_t failures() const { return m_failures; }

  private:
    class Source : public ByteSource {
      public:
        Source(std::unique_ptr<ByteSource> inner, const FailingFileReader& owner)
            : m_inner(std::move(inner)), m_owner(owner) {}
        std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
            if (++m_owner.m_reads == m_owner.m_failOn) {
                ++m_owner.m_failures;
                return std::nullopt;
            }
            return m_inner->read(buffer, std::min(capacity, m_owner.m_piece));
        }

      private:
        std::unique_ptr<ByteSource> m_inner;
        const FailingFileReader& m_owner;
    };

    const FileReader& m_inner;
    std::size_t m_failOn;
    std::size_t m_piece;
    mutable std::size_t m_reads = 0;
    mutable std::size_t m_failures = 0;
};

// A file that repeats `pattern` (after `head`) for `size` bytes, by default as good as
// forever, and counts what was read of it.
class EndlessSource : public ByteSource {
  public:
    explicit EndlessSource(std::string pattern, std::string head = {},
                           std::uint64_t size = std::uint64_t{1} << 40)
        : m_pattern(std::move(pattern)), m_head(std::move(head)), m_size(size) {}

    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        std::size_t n = 0;
        while (n < capacity && m_given < m_size) {
            buffer[n++] = m_given < m_head.size()
                              ? m_head[m_given]
                              : m_pattern[(m_given - m_head.size()) % m_pattern.size()];
            ++m_given;
        }
        return n;
    }
    std::uint64_t given() const { return m_given; }

  private:
    std::string m_pattern;
    std::string m_head;
    std::uint64_t m_size;
    std::uint64_t m_given = 0;
};

// Passes the reads of a source it does not own on, for a load that closes the file it is
// given while the test still wants to ask the source what was read.
class BorrowedSource : public ByteSource {
  public:
    explicit BorrowedSource(ByteSource& inner) : m_inner(inner) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        return m_inner.read(buffer, capacity);
    }

  private:
    ByteSource& m_inner;
};

}  // namespace velomar::testing_support
