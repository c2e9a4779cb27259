// Tells when names, sizes or write times change in one folder, so that a
// fax is taken when it lands instead of at the next poll.
#pragma once

#include <windows.h>

#include <string>

namespace orvalis {

class FolderWatch {
  public:
    ~FolderWatch() { Stop(); }
    // One handle, closed once.
    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False when the folder cannot be watched: gone, or a share that gives
    // no notifications. The poll alone then finds its files.
    bool Start(const std::string& folder);
    void Stop();
    // Signalled after a change; null while nothing is watched.
    HANDLE Handle() const { return handle_; }
    // Waits for the next change once one was seen; stops watching when the
    // watch broke (the folder was removed, say).
    void Rearm();

  private:
    HANDLE handle_ = nullptr;
};

} // namespace orvalis
