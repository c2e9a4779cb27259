// What changed in one folder since the last look, name by name, so that a
// listing of it can be kept up to date instead of read again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orvalis {

class DropJournal {
  public:
    DropJournal() = default;
    ~DropJournal() { Stop(); }
    DropJournal(const DropJournal&) = delete;
    DropJournal& operator=(const DropJournal&) = delete;

    // Notes every change from now on; false when the folder cannot be
    // watched so (gone, or a share that does not tell).
    bool Start(const std::wstring& folder);
    void Stop();
    // Hands each change noted since the last call to `changed`: the file's
    // name, and whether it was removed (or renamed away). False when some
    // may have been missed, or nothing is noted at all.
    bool Drain(const std::function<void(const std::wstring& name, bool removed)>& changed);

  private:
    bool Ask();

    HANDLE folder_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    OVERLAPPED overlapped_ = {};
    bool asked_ = false; // a read of changes is under way
    DWORD buffer_[16384];
};

} // namespace orvalis
