// The drop folder for the conversion pass: its listing, kept up to date
// from the folder's own change journal, and the checks and the delete that
// keep the pass inside the folder.
#pragma once

#include "core/drop_files.h"
#include "core/listing_snapshot.h"
#include "platform/folder_watch.h"

#include <functional>
#include <string>
#include <utility>

namespace orvalis {

class Win32DropFiles : public DropFiles {
  public:
    // `watch`: on the drop folder, whose changes keep the listing up to date.
    // `closing`: true once the program ends, which ends every wait.
    Win32DropFiles(FolderWatch& watch, std::function<bool()> closing)
        : watch_(watch), closing_(std::move(closing)) {}

    ListResult ListAwdFiles(const std::string& folder,
                            const std::function<bool(const ListedFile&)>& visit,
                            bool reread) override;
    SourceCheck CheckSource(const std::string& folder, const std::string& name,
                            FileStamp& stamp) override;
    DeleteResult DeleteSource(const std::string& folder, const std::string& name,
                              const FileStamp& stamp) override;
    bool WaitUntilGone(const std::string& folder, const std::string& name, int32_t ms) override;

  private:
    // Reads the whole folder into the snapshot.
    ListResult ReadFolder(const std::string& folder);

    ListingSnapshot snapshot_;
    std::string snapshot_folder_;
    FolderWatch& watch_;
    std::function<bool()> closing_;
};

} // namespace orvalis
