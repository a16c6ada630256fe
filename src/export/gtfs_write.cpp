#include "export/gtfs_export.h"
#include "platform/staged_folder.h"

namespace velomar {

bool WriteGtfsFeed(const GtfsFeed& feed, const std::filesystem::path& directory,
                   std::string& error) {
    StagedFolder staged;
    if (!staged.begin(directory, StagedFolder::Replace::SameNames, error)) {
        return false;
    }
    for (const GtfsFile& file : feed.files) {
        if (!staged.write(file.name, file.content, error)) {
            return false;
        }
    }
    return staged.commit(error);
}

}  // namespace velomar
