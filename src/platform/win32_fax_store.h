// The store folder for the conversion pass: the markers that hold numbers,
// shared with other PCs, and the check that a TIF is complete.
#pragma once

#include "core/fax_store.h"
#include "platform/fax_index_file.h"

#include <string>
#include <vector>

namespace orvalis {

class Win32FaxStore : public FaxStore {
  public:
    // `app_folder`: with this PC's name, whose markers are ours.
    // `store_folder`: the short form, with a trailing "\", where the index lies.
    Win32FaxStore(const std::string& store_folder, const std::string& app_folder);

    bool FileExists(const std::string& path) override;
    ReserveResult Reserve(const std::string& marker, const std::string& awd,
                          uint64_t awd_bytes) override;
    TargetCheck TargetAbsent(const std::string& target) override;
    void Release(const std::string& path) override;
    // Removes what may go now; what cannot be removed yet (a share away) is
    // tried again at the next call.
    void ReleasePending();
    // What waits, tried again: the files to remove and the index's lines.
    void CatchUp();
    std::vector<Leftover> OwnMarkers(const std::string& store_folder) override;
    bool IsTargetComplete(const std::string& path) override;
    void RecordStored(const std::string& target, const std::string& awd, uint64_t awd_bytes,
                      int64_t converter_ms) override;

  private:
    std::string owner_; // what our markers hold
    std::string pc_;    // this PC's name in the index
    FaxIndexFile index_;
    std::string judged_;               // the TIF last judged complete
    IndexEntry judged_at_;             // when, and its pages
    std::vector<std::string> pending_; // files of ours to remove, in order
};

} // namespace orvalis
