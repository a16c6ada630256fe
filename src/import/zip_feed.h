#pragma once

// The zip side of FeedSource: archives are read by the helper program velomar-unzip, found
// beside the running executable or, once installed, in libexec/velomar.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "import/feed_source.h"

namespace velomar {

inline constexpr std::string_view kZipHelperName = "velomar-unzip";

// Where the helper is; empty when it is in neither place.
std::filesystem::path ZipHelperPath();

// OpenZipFeed with a given helper (empty: none installed).
std::unique_ptr<FeedSource> OpenZipFeedWith(const std::filesystem::path& helper,
                                            const std::filesystem::path& path, std::string& error);

}  // namespace velomar
