#pragma once

// How velomar-cli and its zip reader velomar-unzip talk. One helper serves a whole import:
// requests go to its standard input, one per line; every reply is a frame on its standard
// output: one byte of kind, the handle of the file a piece or a failed read is about (else 0)
// and the payload's length, each as four bytes (least significant first), then the payload.
//
//   at start        List (the feed files' names, one per line) or Failed (the reason)
//   "o NAME"        Opened (the file's handle, in digits), Missing, or Failed (the reason)
//   "r HANDLE MAX"  Data (at most MAX bytes of the file; none at its end) or Failed
//   "c HANDLE"      no reply
//
// Replies come in the order of the requests. A reader asks for a file's next piece as soon
// as it has the last one, so the helper unpacks while the import reads.
//
// A file is checked whole (its checksum) before its first byte is handed out, so a damaged
// archive is reported as such rather than as whatever its damaged bytes appear to say. The
// one exception is a file with a line longer than the import reads, which it refuses there.

#include <cstddef>
#include <cstdint>

#include "import/csv_reader.h"

namespace velomar::zip_protocol {

inline constexpr char kList = 'L';
inline constexpr char kOpened = 'O';
inline constexpr char kMissing = 'M';
inline constexpr char kData = 'D';
inline constexpr char kFailed = 'E';

inline constexpr std::size_t kHeaderBytes = 9;
inline constexpr std::size_t kMaxPiece = 256 * 1024;
// A line longer than this is a record longer than the import reads (CsvReader refuses it).
inline constexpr std::size_t kLongestLine = CsvReader::kMaxRecordBytes;
// No reply is longer: a listing of this size is not a feed.
inline constexpr std::uint32_t kMaxPayload = 16 * 1024 * 1024;

inline void PutNumber(unsigned char* to, std::uint32_t number) {
    for (int i = 0; i < 4; ++i) {
        to[i] = static_cast<unsigned char>(number >> (8 * i));
    }
}

inline std::uint32_t GetNumber(const unsigned char* from) {
    std::uint32_t number = 0;
    for (int i = 0; i < 4; ++i) {
        number |= static_cast<std::uint32_t>(from[i]) << (8 * i);
    }
    return number;
}

}  // namespace velomar::zip_protocol
