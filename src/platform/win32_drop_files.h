// The drop folder for the conversion pass: its listing, kept up to date
// from the folder's own change journal, and the checks and the delete that
// keep the pass inside the folder.
#pragma once

#include "core/drop_files.h"
#include "core/listing_snapshot.h"
#include "platform/folder_watch.h"

#include <string>

namespace orvalis {

class Win32DropFiles : public DropFiles {
  public:
    // `watch`: on the drop folder, whose changes keep the listing up to date.
    explicit Win32DropFiles(FolderWatch& watch) : watch_(watch) {}

    ListResult ListAwdFiles(const std::string& folder,
                            const std::function<bool(const ListedFile&)>& visit,
                            bool reread) override;
    SourceCheck CheckSource(const std::string& folder, const std::string& name,
                            FileStamp& stamp) override;
    DeleteResult DeleteSource(const std::string& folder, const std::string& name,
                              const FileStamp& stamp) override;

  private:
    // Reads the whole folder into the snapshot.
    ListResult ReadFolder(const std::string& folder);

    ListingSnapshot snapshot_;
    std::string snapshot_folder_;
    FolderWatch& watch_;
};

} // namespace orvalis
