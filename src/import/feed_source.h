#pragma once

// Where the files of a GTFS feed come from: a folder of .txt files or a zip archive.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "timetable/file_reader.h"

namespace velomar {

class FeedSource {
  public:
    virtual ~FeedSource() = default;
    // The named file ("stops.txt") opened for reading in pieces; nothing when the feed has no
    // such file, or (with `error` set) when it has one that cannot be opened.
    virtual std::unique_ptr<ByteSource> open(std::string_view name, std::string& error) const = 0;
};

// The .txt files of a folder, read through `reader` (the disk, or memory in tests).
class FolderFeed : public FeedSource {
  public:
    FolderFeed(const FileReader& reader, std::filesystem::path folder)
        : m_reader(reader), m_folder(std::move(folder)) {}
    std::unique_ptr<ByteSource> open(std::string_view name, std::string& error) const override;

  private:
    const FileReader& m_reader;
    std::filesystem::path m_folder;
};

// A folder on the disk, or a zip archive for any other file. Nothing (error set) when the
// path cannot be opened as either.
std::unique_ptr<FeedSource> OpenFeed(const std::filesystem::path& path, std::string& error);

// The zip reader alone, for a file already known not to be a folder.
std::unique_ptr<FeedSource> OpenZipFeed(const std::filesystem::path& path, std::string& error);

// Whether this build reads zip archives (it may be built without libzip).
bool ZipFeedsSupported();

}  // namespace velomar
