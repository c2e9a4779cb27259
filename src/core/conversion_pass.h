// One pass over the drop folder: every *.awd file becomes the next
// Fax_NNNNN.tif. Free of Windows; the main form supplies the platform.
#pragma once

#include "core/ServiceState.h"
#include "core/listed_name.h"
#include "core/retry_book.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

enum class DeleteResult { Deleted, AlreadyGone, Failed };
enum class ReserveResult { Reserved, Taken, Failed };
enum class TargetCheck { Absent, Present, Failed };

class PassPlatform {
  public:
    virtual ~PassPlatform() = default;

    // The ordinary *.awd files, in the platform's order; empty when the
    // folder is gone or cannot be listed.
    virtual std::vector<ListedFile> ListAwdFiles(const std::string& folder) = 0;
    // True when another process holds the file open so that it cannot be
    // opened exclusively: a fax still being written.
    virtual bool IsHeldOpen(const std::string& path) = 0;
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
    virtual void Release(const std::string& marker) = 0;
    // Releases the marker once the converter last launched has ended, which
    // may be long after this pass: until then it might still write there.
    virtual void ReleaseAfterConverter(const std::string& marker) = 0;
    // Starts the command hidden without waiting for it, and keeps hold of
    // its process. False when it could not be started.
    virtual bool Launch(const std::string& command, int32_t& task_id) = 0;
    // Waits, answering the user meanwhile: the menu, About, "Enabled" and
    // "Close" all work during a pass.
    virtual void Wait(int32_t ms) = 0;
    // The same, but ends as soon as the launched process has ended.
    virtual void WaitForConverter(int32_t ms) = 0;
    // False once "Enabled" is unchecked or the program is closing: the file
    // in hand is decided, and no new one is started.
    virtual bool KeepGoing() = 0;
    // A clock in milliseconds that only moves forward.
    virtual int64_t NowMs() = 0;
    // True when nobody writes the TIF any more and it holds a whole TIFF.
    virtual bool IsTargetComplete(const std::string& path) = 0;
    virtual DeleteResult DeleteSource(const std::string& path) = 0;
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

// `failures` outlives the pass: it holds back the files that keep failing.
// `poll_ms` is the polling interval, the first wait after a failure.
void RunConversionPass(ServiceState& state, RetryBook& failures, int32_t poll_ms,
                       PassPlatform& platform);

} // namespace orvalis
