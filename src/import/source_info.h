#pragma once

#include <string>

#include "import/feed_source.h"
#include "import/gtfs_import.h"

namespace velomar {

// Publisher, version and licence from feed_info.txt, agencies from agency.txt, attributions
// from attributions.txt. All three files are optional.
bool ReadFeedSourceInfo(const FeedSource& feed, FeedSourceInfo& out, std::string& error);

}  // namespace velomar
