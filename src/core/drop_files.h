// The drop folder as the conversion pass sees it: the faxes waiting there,
// each one looked at before its converter runs and deleted only as the very
// file that was converted. Free of Windows.
#pragma once

#include "core/listed_name.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orvalis {

// Failed: the folder could not be read, which says nothing about its files.
enum class ListResult { Complete, Stopped, Failed };
// Elsewhere: the name leads out of the drop folder (a link), or cannot be
// shown not to.
enum class SourceCheck { Ready, HeldOpen, Elsewhere };
// Changed: another file stands under the name now, and stays.
enum class DeleteResult { Deleted, AlreadyGone, Changed, Failed };

class DropFiles {
  public:
    virtual ~DropFiles() = default;

    // Hands the ordinary *.awd files to `visit`, in the platform's order,
    // until it returns false: then the listing stops there. Unless told to
    // `reread` the folder, the platform may answer from its last listing and
    // the changes reported since.
    virtual ListResult ListAwdFiles(const std::string& folder,
                                    const std::function<bool(const ListedFile&)>& visit,
                                    bool reread) = 0;
    // HeldOpen when another process holds the file open so that it cannot
    // be opened exclusively (a fax still being written), or it is gone. Elsewhere when the
    // file that the name opens does not lie in `folder` itself. Otherwise,
    // where the file can be opened, `stamp` says which file it is, its id
    // included.
    virtual SourceCheck CheckSource(const std::string& folder, const std::string& name,
                                    FileStamp& stamp) = 0;
    // Deletes the file only while it is the one that `stamp` names (its id
    // only where known) and lies in `folder` itself, with nothing that could
    // come between the check and the delete. A link is never followed.
    virtual DeleteResult DeleteSource(const std::string& folder, const std::string& name,
                                      const FileStamp& stamp) = 0;
    // Waits, answering the user meanwhile, until the name of a file just
    // deleted has left the folder, but no longer than `ms`, and not once the
    // program is closing; true when it has.
    virtual bool WaitUntilGone(const std::string& folder, const std::string& name, int32_t ms) = 0;
};

} // namespace orvalis
