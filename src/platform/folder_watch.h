// Tells when names, sizes or write times change in one folder, so that a
// fax is taken when it lands instead of at the next poll, and which files
// changed, so that a listing of the folder can be kept up to date instead
// of read again. One reader of the folder's changes serves both.
//
// A watch sticks to the folder it was started on, even once that folder is
// renamed or deleted. This one follows the path instead: it also watches the
// folder's parent for folders that come, go or are renamed, and then starts
// again on whatever the path names by then.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orvalis {

class FolderWatch {
  public:
    FolderWatch();
    ~FolderWatch();
    // One event and two directory handles, closed once.
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False when the folder cannot be watched: gone, or a share that gives
    // no notifications. The poll alone then finds its files; while the
    // folder is missing, its parent is watched for it to come back.
    bool Start(const std::string& folder);
    void Stop();
    // Signalled after a change; null while nothing is watched.
    HANDLE Handle() const;
    // Waits for the next change once one was seen. True when the folder's
    // files may have changed: a change in it, or the watch started again.
    bool Rearm();
    // Starts again when the path no longer names the folder watched (it was
    // renamed away, or deleted and made again) or names one at last. True
    // when it did.
    bool Follow();
    // True while `path` names the very folder watched.
    bool Watches(const std::string& path) const;
    // Hands each change to a file of the folder noted since the last call
    // to `changed`: the file's name, and whether it was removed (or renamed
    // away). False when some may have been missed (more at once than could
    // be noted, the watch started again) or the folder is not watched.
    bool Drain(const std::function<void(const std::wstring& name, bool removed)>& changed);

  private:
    struct Watch {
        HANDLE folder = nullptr;
        OVERLAPPED pending = {};
        std::vector<DWORD> changes;
    };
    bool Open(Watch& watch, const std::string& path, DWORD filter);
    bool Arm(Watch& watch, DWORD filter);
    // True when the watch fired; a watch that broke is closed.
    bool Fired(Watch& watch, DWORD filter);
    void Close(Watch& watch);
    void KeepNews();       // a change that is waiting leaves the event set
    void Note(DWORD size); // what the read in files_ brought

    std::string folder_;
    HANDLE event_; // shared: the message loop waits for one handle
    Watch files_;  // in the folder
    Watch names_;  // the folders in its parent
    BY_HANDLE_FILE_INFORMATION id_ = {};
    std::vector<std::pair<std::wstring, bool>> notes_; // not drained yet
    bool missed_ = true;
};

} // namespace orvalis
