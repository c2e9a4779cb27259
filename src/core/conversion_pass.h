// One pass over the drop folder: every *.awd file becomes the next
// Fax_NNNNN.tif. Free of Windows; the main form supplies the platform.
#pragma once

#include "core/ServiceState.h"
#include "core/listed_name.h"
#include "core/retry_book.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvalis {

// Changed: another file stands under the name now, and stays.
enum class DeleteResult { Deleted, AlreadyGone, Changed, Failed };
enum class ReserveResult { Reserved, Taken, Failed };
// Failed: the folder could not be read, which says nothing about its files.
enum class ListResult { Complete, Stopped, Failed };
enum class TargetCheck { Absent, Present, Failed };
// Elsewhere: the name leads out of the drop folder (a link), or cannot be
// shown not to.
enum class SourceCheck { Ready, HeldOpen, Elsewhere };

class PassPlatform {
  public:
    virtual ~PassPlatform() = default;

    // Hands the ordinary *.awd files to `visit`, in the platform's order,
    // until it returns false: then the listing stops there. Unless told to
    // `reread` the folder, the platform may answer from its last listing and
    // the changes reported since.
    virtual ListResult ListAwdFiles(const std::string& folder,
                                    const std::function<bool(const ListedFile&)>& visit,
                                    bool reread) = 0;
    // HeldOpen when another process holds the file open so that it cannot
    // be opened exclusively: a fax still being written. Elsewhere when the
    // file that the name opens does not lie in `folder` itself. Otherwise,
    // where the file can be opened, `stamp` says which file it is, its id
    // included.
    virtual SourceCheck CheckSource(const std::string& folder, const std::string& name,
                                    FileStamp& stamp) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Creates the marker if, and only if, it does not exist yet, in one step
    // that the file server performs: of several PCs sharing the store, one
    // gets Reserved and the others Taken. Failed: any other answer, as from
    // a store that cannot be written.
    virtual ReserveResult Reserve(const std::string& marker) = 0;
    // Whether the target exists, as the file server itself says (a share's
    // client may answer a mere look from its cache). Leaves nothing behind.
    // Failed when the server does not say.
    virtual TargetCheck TargetAbsent(const std::string& target) = 0;
    // Removes a file of ours, a marker or what an ended converter left
    // unfinished at our number; what cannot go yet (a share away) is tried
    // again later, in the same order.
    virtual void Release(const std::string& path) = 0;
    // Markers that this application folder wrote on this PC: the leftovers
    // of a run that could not clean up (a crash, a power cut).
    virtual std::vector<std::string> OwnMarkers(const std::string& store_folder) = 0;
    // Starts the command hidden without waiting for it, with everything it
    // starts in turn held together, so that none of it can outlive us.
    // False when it could not be started.
    virtual bool Launch(const std::string& command, int32_t& task_id) = 0;
    // Waits, answering the user meanwhile: the menu, About, "Enabled" and
    // "Close" all work during a pass. Ends early once the program is closing.
    virtual void Wait(int32_t ms) = 0;
    // The same, but ends as soon as the converter last launched and all that
    // it started have ended; true when they have.
    virtual bool WaitForConverter(int32_t ms) = 0;
    // Ends the converter last launched with all that it started, and
    // returns once they are gone, their files closed.
    virtual void EndConverter() = 0;
    // False once "Enabled" is unchecked or the program is closing: the file
    // in hand is decided, and no new one is started.
    virtual bool KeepGoing() = 0;
    virtual bool Closing() = 0;
    // A clock in milliseconds that only moves forward.
    virtual int64_t NowMs() = 0;
    // True when nobody writes the TIF any more and it holds a whole TIFF.
    virtual bool IsTargetComplete(const std::string& path) = 0;
    // Deletes the file only while it is the one that `stamp` names (its id
    // only where known) and lies in `folder` itself, with nothing that could
    // come between the check and the delete. A link is never followed.
    virtual DeleteResult DeleteSource(const std::string& folder, const std::string& name,
                                      const FileStamp& stamp) = 0;
    // Failures to write the log are swallowed by the platform.
    virtual void AppendErrorLog(const std::string& entry) = 0;
    virtual void ShowCritical(const std::string& text) = 0;
    // Disables Timer1 and unchecks "Enabled".
    virtual void StopPolling() = 0;
    virtual void SaveCounter(int32_t current) = 0;
    // The tray icon's warning variant, while any file keeps failing.
    virtual void ShowFailing(bool failing) = 0;
    // Tells the user once that this file could not be converted.
    virtual void AnnounceFailure(const std::string& shown_name) = 0;
};

extern const char* const kDeleteWarning;

// How long a converter may run for one fax: a long fax on a slow PC takes
// seconds, so one still running after this has hung.
const int32_t kConverterCeilingMs = 5 * 60 * 1000;

// `failures` outlives the pass: it holds back the files that keep failing.
// `poll_ms` is the polling interval, the first wait after a failure.
void RunConversionPass(ServiceState& state, RetryBook& failures, int32_t poll_ms,
                       PassPlatform& platform);

// At start: what our own earlier run left in the store. A TIF that is
// complete stays, as it may be all there is of its fax.
void RemoveOwnLeftovers(const std::string& store_folder, PassPlatform& platform);

} // namespace orvalis
